#include "PagePainter.h"

#include "ReportFonts.h"

#include <QPaintDevice>
#include <QPainter>

#include <vector>

namespace kodexa::report {

namespace {

// The page is drawn in thousandths of an inch and scaled to the device as a whole, so text keeps
// the proportions it was laid out with at every zoom instead of snapping to screen pixels.
constexpr double UnitsPerInch = 1000;

QColor colorOf(std::uint32_t windowsColor) {
    return QColor(windowsColor & 0xFF, (windowsColor >> 8) & 0xFF, (windowsColor >> 16) & 0xFF);
}

// A font whose size is given in page units: the device turns points into its own pixels, which the
// painter's scale then maps from page units.
std::vector<QFont> fontsFor(const PageStore& store, const QPaintDevice& device) {
    const double deviceDpi = device.logicalDpiY();
    std::vector<QFont> fonts;
    fonts.reserve(store.fonts().size());
    for (FontSpec fontSpec : store.fonts()) {
        fontSpec.pointSize = fontSpec.pointSize * UnitsPerInch / deviceDpi;
        fonts.push_back(toolkitFont(fontSpec));
    }
    return fonts;
}

} // namespace

void paintPage(QPainter& painter, const PageStore& store, std::size_t pageIndex, double pixelsPerInch) {
    if (pageIndex >= store.pageCount() || painter.device() == nullptr)
        return;
    const std::vector<QFont> fonts = fontsFor(store, *painter.device());
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(pixelsPerInch / UnitsPerInch, pixelsPerInch / UnitsPerInch);
    std::uint32_t currentFont = UINT32_MAX;
    for (const PageItem& item : store.page(pageIndex).items) {
        if (const auto* text = std::get_if<PageText>(&item)) {
            if (text->font >= fonts.size())
                continue;
            if (text->font != currentFont) {
                currentFont = text->font;
                painter.setFont(fonts[currentFont]);
                painter.setPen(colorOf(store.fonts()[currentFont].color));
            }
            painter.drawText(QPointF(text->x * UnitsPerInch, text->baseline * UnitsPerInch),
                             QString::fromStdString(text->text));
            continue;
        }
        const auto& line = std::get<PageLine>(item);
        painter.setPen(QPen(colorOf(line.color), line.width * UnitsPerInch, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(line.x1 * UnitsPerInch, line.y1 * UnitsPerInch),
                         QPointF(line.x2 * UnitsPerInch, line.y2 * UnitsPerInch));
        currentFont = UINT32_MAX; // the pen changed
    }
    painter.restore();
}

} // namespace kodexa::report
