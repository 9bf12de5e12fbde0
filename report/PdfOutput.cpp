#include "PdfOutput.h"

#include "PagePainter.h"
#include "ReportLayout.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace kodexa::report {

namespace {

QPageLayout layoutOf(const Page& page) {
    const QPageSize size(QSizeF(page.width, page.height), QPageSize::Inch, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

} // namespace

void writePdf(const PageStore& pages, const QString& fileName) {
    QPdfWriter writer(fileName);
    writer.setTitle(pages.title());
    writer.setCreator(QStringLiteral("Kodexa"));
    if (pages.pageCount() > 0)
        writer.setPageLayout(layoutOf(pages.page(0)));
    QPainter painter;
    if (!painter.begin(&writer))
        throw ReportError("Cannot write " + fileName.toStdString());
    for (std::size_t index = 0; index < pages.pageCount(); ++index) {
        if (index > 0) {
            writer.setPageLayout(layoutOf(pages.page(index)));
            writer.newPage();
        }
        paintPage(painter, pages, index, writer.resolution());
    }
    if (!painter.end())
        throw ReportError("Cannot write " + fileName.toStdString());
}

} // namespace kodexa::report
