#include "PrinterOutput.h"

#include "PagePainter.h"
#include "ReportLayout.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace kodexa::report {

namespace {

QPageLayout layoutOf(const Page& page) {
    const QPageSize size(QSizeF(page.width, page.height), QPageSize::Inch);
    const auto orientation = page.width > page.height ? QPageLayout::Landscape : QPageLayout::Portrait;
    return QPageLayout(size, orientation, QMarginsF(0, 0, 0, 0));
}

std::string printerName(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName().toStdString();
    return printer.printerName().toStdString();
}

void printOnce(QPrinter& printer, const PageStore& pages, const std::vector<int>& pageNumbers) {
    const Page& first = pages.page(static_cast<std::size_t>(pageNumbers.front() - 1));
    printer.setPageLayout(layoutOf(first));
    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError("Cannot print on " + printerName(printer));
    const Page* previous = &first;
    for (std::size_t i = 0; i < pageNumbers.size(); ++i) {
        const auto index = static_cast<std::size_t>(pageNumbers[i] - 1);
        const Page& page = pages.page(index);
        if (i > 0) {
            if (page.width != previous->width || page.height != previous->height)
                printer.setPageLayout(layoutOf(page));
            if (!printer.newPage())
                throw ReportError("Cannot print on " + printerName(printer));
        }
        paintPage(painter, pages, index, printer.resolution());
        previous = &page;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw ReportError("Cannot print on " + printerName(printer));
}

} // namespace

void printPages(QPrinter& printer, const PageStore& pages, const std::vector<int>& pageNumbers,
                const PrintOptions& options) {
    for (const int number : pageNumbers) {
        if (number < 1 || static_cast<std::size_t>(number) > pages.pageCount())
            throw ReportError("Page " + std::to_string(number) + " does not exist");
    }
    if (pageNumbers.empty())
        throw ReportError("There is no page to print");
    const int copies = std::max(options.copies, 1);
    printer.setDocName(QString::fromStdString(pages.title()));
    printer.setFullPage(true);
    printer.setCollateCopies(options.collate);
    printer.setDuplex(options.duplex ? QPrinter::DuplexAuto : QPrinter::DuplexNone);
    if (copies > 1 && !printer.supportsMultipleCopies()) {
        printer.setCopyCount(1);
        for (int copy = 0; copy < copies; ++copy)
            printOnce(printer, pages, pageNumbers);
        return;
    }
    printer.setCopyCount(copies);
    printOnce(printer, pages, pageNumbers);
}

} // namespace kodexa::report
