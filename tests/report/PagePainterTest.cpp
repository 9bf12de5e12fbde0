// The paint routine skips items that cannot show in the visible part of a page. What it skips must
// never have shown: a page painted with the visible part given is the same picture, inside that
// part, as the whole page painted under the same clip.
#include "PagePainter.h"
#include "GuiEnvironment.h"

#include <QImage>
#include <QPainter>
#include <QPicture>

#include <gtest/gtest.h>

using namespace kodexa::report;

namespace {

[[maybe_unused]] ::testing::Environment* const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new kodexa::testsupport::GuiEnvironment);

// Texts and lines all over an A4 page and beyond it, in sizes from hairlines to large glyphs whose
// baselines lie well outside the parts painted below while their glyphs reach in.
PageStore crowdedPage() {
    PageStore pages;
    const std::uint32_t body = pages.addFont({"Arial", 10});
    const std::uint32_t large = pages.addFont({"Arial", 150, true, true});
    const std::uint32_t marked = pages.addFont({"Arial", 36, false, false, true, true, 1, 0x000000FF});
    Page& page = pages.addPage(8.267716535433072, 11.692913385826772);
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < 4; ++column) {
            page.items.emplace_back(PageText{-0.5 + column * 2.2, 0.1 + row * 0.3, body,
                                             "Zeile " + std::to_string(row) + " Spalte " +
                                                 std::to_string(column) +
                                                 " mit einem langen Text \xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"});
        }
        page.items.emplace_back(PageLine{0.2, 0.15 + row * 0.3, 8, 0.15 + row * 0.3,
                                         row % 3 == 0 ? 0.0 : row / 80.0,
                                         static_cast<std::uint32_t>(row * 0x050403)});
    }
    for (int step = 0; step < 12; ++step) {
        const double at = step * 1.0;
        page.items.emplace_back(PageText{at * 0.6 - 1, at, large, "Wg"});
        page.items.emplace_back(PageText{8.0 - at * 0.5, at + 0.4, marked, "Hy\xC3\x84"});
        page.items.emplace_back(PageLine{-2, at, 10, 11.7 - at, 1.0, 0x00FF0000});
        page.items.emplace_back(PageLine{at * 0.7, -3, at * 0.7, 15, 0.2, 0x0000FF00});
    }
    return pages;
}

QImage paintedPart(const PageStore& pages, double pixelsPerInch, const QRect& part, bool skipping) {
    QImage image(qRound(pages.page(0).width * pixelsPerInch), qRound(pages.page(0).height * pixelsPerInch),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(part);
    paintPage(painter, pages, 0, pixelsPerInch, skipping ? QRectF(part) : QRectF());
    painter.end();
    return image;
}

} // namespace

TEST(PagePainter, SkippingWhatLiesOutsideTheVisiblePartChangesNoPixel) {
    const PageStore pages = crowdedPage();
    const std::vector<QRect> parts{
        {0, 0, 794, 1123},  {100, 200, 300, 150}, {0, 0, 794, 90},     {400, 800, 394, 323},
        {250, 500, 40, 40}, {700, 20, 94, 1000},  {0, 1000, 794, 123}, {380, 380, 1, 1},
    };
    for (const double pixelsPerInch : {96.0, 192.0}) {
        for (QRect part : parts) {
            if (pixelsPerInch > 96)
                part = QRect(part.topLeft() * 2, part.size() * 2);
            const QImage whole = paintedPart(pages, pixelsPerInch, part, false);
            const QImage skipped = paintedPart(pages, pixelsPerInch, part, true);
            EXPECT_TRUE(whole == skipped) << pixelsPerInch << " dpi, part " << part.x() << ',' << part.y()
                                          << ' ' << part.width() << 'x' << part.height();
        }
    }
}

// What a repaint of a small part records is much less than the whole page.
TEST(PagePainter, ASmallVisiblePartDrawsOnlyTheItemsNearIt) {
    const PageStore pages = crowdedPage();
    const auto recorded = [&](const QRectF& visible) {
        QPicture picture;
        QPainter painter(&picture);
        paintPage(painter, pages, 0, 96, visible);
        painter.end();
        return picture.size();
    };
    const uint whole = recorded(QRectF());
    EXPECT_LE(recorded(QRectF(0, 0, 794, 1123)), whole); // less what lies beside the sheet
    EXPECT_LT(recorded(QRectF(300, 1000, 40, 40)) * 4, whole);
}
