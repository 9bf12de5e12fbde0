#include "PagePainter.h"

#include "ReportFonts.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <optional>
#include <vector>

namespace kodexa::report {

namespace {

// The page is drawn in thousandths of an inch and scaled to the device as a whole, so text keeps
// the proportions it was laid out with at every zoom instead of snapping to screen pixels.
constexpr double UnitsPerInch = 1000;

// How far a glyph may reach from its origin, in ems: above and below the baseline and left of the
// starting point. Generous, as skipping a text that shows would lose it from the preview.
constexpr double GlyphReachEms = 4;

QColor colorOf(std::uint32_t windowsColor) {
    return QColor(windowsColor & 0xFF, (windowsColor >> 8) & 0xFF, (windowsColor >> 16) & 0xFF);
}

// The page's fonts as the device needs them, made when a text first uses one: a page file may
// list many fonts, and resolving a font is not cheap.
class DeviceFonts {
public:
    DeviceFonts(const PageStore& store, const QPaintDevice& device)
        : fontSpecs_(store.fonts()), deviceDpi_(device.logicalDpiY()), fonts_(fontSpecs_.size()) {}

    // A font whose size is given in page units: the device turns points into its own pixels, which
    // the painter's scale then maps from page units.
    const QFont& operator[](std::uint32_t index) {
        std::optional<QFont>& font = fonts_[index];
        if (!font) {
            FontSpec fontSpec = fontSpecs_[index];
            fontSpec.pointSize = fontSpec.pointSize * UnitsPerInch / deviceDpi_;
            font = toolkitFont(fontSpec);
        }
        return *font;
    }

private:
    const std::vector<FontSpec>& fontSpecs_;
    double deviceDpi_;
    std::vector<std::optional<QFont>> fonts_;
};

// Whether an item can show inside the visible part of the page (inches). A text's width is not
// known without laying it out, so only what lies above, below or right of the part is skipped.
bool canShow(const PageText& text, const FontSpec& font, const QRectF& visible) {
    const double reach = GlyphReachEms * font.pointSize / 72;
    return text.baseline + reach >= visible.top() && text.baseline - reach <= visible.bottom() &&
           text.x - reach <= visible.right();
}

bool canShow(const PageLine& line, const QRectF& visible, double pixelsPerInch) {
    // Flat caps: the stroke reaches half its width beside the line; a thin line at least a pixel.
    const double reach = line.width / 2 + 2 / pixelsPerInch;
    return std::max(line.x1, line.x2) + reach >= visible.left() &&
           std::min(line.x1, line.x2) - reach <= visible.right() &&
           std::max(line.y1, line.y2) + reach >= visible.top() &&
           std::min(line.y1, line.y2) - reach <= visible.bottom();
}

} // namespace

void paintPage(QPainter& painter, const PageStore& store, std::size_t pageIndex, double pixelsPerInch,
               const QRectF& visible) {
    if (pageIndex >= store.pageCount() || painter.device() == nullptr)
        return;
    const bool clipped = !visible.isNull();
    const QRectF visibleInches(visible.x() / pixelsPerInch, visible.y() / pixelsPerInch,
                               visible.width() / pixelsPerInch, visible.height() / pixelsPerInch);
    DeviceFonts fonts(store, *painter.device());
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(pixelsPerInch / UnitsPerInch, pixelsPerInch / UnitsPerInch);
    std::uint32_t currentFont = UINT32_MAX;
    for (const PageItem& item : store.page(pageIndex).items) {
        if (const auto* text = std::get_if<PageText>(&item)) {
            if (text->font >= store.fonts().size())
                continue;
            if (clipped && !canShow(*text, store.fonts()[text->font], visibleInches))
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
        if (clipped && !canShow(line, visibleInches, pixelsPerInch))
            continue;
        painter.setPen(QPen(colorOf(line.color), line.width * UnitsPerInch, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(line.x1 * UnitsPerInch, line.y1 * UnitsPerInch),
                         QPointF(line.x2 * UnitsPerInch, line.y2 * UnitsPerInch));
        currentFont = UINT32_MAX; // the pen changed
    }
    painter.restore();
}

} // namespace kodexa::report
