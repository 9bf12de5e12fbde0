#include "PdfOutput.h"

#include "OutputFile.h"
#include "PagePainter.h"
#include "ReportLayout.h"

#include <QDir>
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
    writePdf(pages, nativeFileName(fileName));
}

void writePdf(const PageStore& pages, const std::filesystem::path& fileName) {
    const auto cannotWrite = [&](const QString& reason) {
        return ReportError("Cannot write \"" +
                           QDir::toNativeSeparators(displayFileName(fileName)).toStdString() + "\". " +
                           reason.toStdString());
    };
    // An existing file is replaced only once the new one is complete.
    OutputFile file(fileName);
    if (!file.open())
        throw cannotWrite(file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(QString::fromStdString(pages.title()));
        writer.setCreator(QStringLiteral("Kodexa"));
        if (pages.pageCount() > 0)
            writer.setPageLayout(layoutOf(pages.page(0)));
        QPainter painter;
        if (!painter.begin(&writer))
            throw cannotWrite(QStringLiteral("The PDF writer cannot start"));
        for (std::size_t index = 0; index < pages.pageCount(); ++index) {
            if (index > 0) {
                writer.setPageLayout(layoutOf(pages.page(index)));
                writer.newPage();
            }
            paintPage(painter, pages, index, writer.resolution());
        }
        if (!painter.end())
            throw cannotWrite(QStringLiteral("The PDF writer failed"));
    }
    if (!file.commit())
        throw cannotWrite(file.errorString());
}

} // namespace kodexa::report
