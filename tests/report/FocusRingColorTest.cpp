// The colour of the page area's focus ring: it must stand out 3:1 from everything beside it, in
// the palette the program runs with and in others a desktop may bring.
#include "ColourContrast.h"
#include "ViewportFocusRing.h"

#include <QPalette>

#include <gtest/gtest.h>

#include <cmath>

using namespace kodexa::report;
using kodexa::contrastRatio;

namespace {

QPalette paletteOf(QColor window, QColor dark, QColor highlight) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Dark, dark);
    palette.setColor(QPalette::Highlight, highlight);
    return palette;
}

double weakestContrast(QColor ring, const QPalette& palette, QColor content) {
    return std::min({contrastRatio(ring, content), contrastRatio(ring, palette.color(QPalette::Dark)),
                     contrastRatio(ring, palette.color(QPalette::Window))});
}

} // namespace

TEST(FocusRingColor, ContrastRatioFollowsWcag) {
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::black, Qt::white), 21);
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::white, Qt::black), 21);
    EXPECT_DOUBLE_EQ(contrastRatio(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1);
    // #767676 on white is the classic 4.54:1.
    EXPECT_NEAR(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01);
}

TEST(FocusRingColor, TheLightPaletteGetsItsHighlightDarkenedJustEnough) {
    // Fusion's light palette: window #efefef, dark #9f9f9f, highlight #308cc6.
    const QPalette palette =
        paletteOf(QColor(0xEF, 0xEF, 0xEF), QColor(0x9F, 0x9F, 0x9F), QColor(0x30, 0x8C, 0xC6));
    const QColor ring = ViewportFocusRing::colorFor(palette, Qt::white);
    EXPECT_GE(weakestContrast(ring, palette, Qt::white), 3);
    EXPECT_LT(weakestContrast(ring.lighter(110), palette, Qt::white), 3); // no darker than needed
    EXPECT_EQ(ring.hue(), QColor(0x30, 0x8C, 0xC6).hue());                // still the highlight's blue
}

TEST(FocusRingColor, AHighlightThatStandsOutAlreadyStaysAsItIs) {
    const QPalette palette =
        paletteOf(QColor(0xEF, 0xEF, 0xEF), QColor(0xD0, 0xD0, 0xD0), QColor(0x00, 0x3D, 0x7A));
    EXPECT_EQ(ViewportFocusRing::colorFor(palette, Qt::white), QColor(0x00, 0x3D, 0x7A));
}

TEST(FocusRingColor, ADarkPaletteGetsItsHighlightLightened) {
    // Dark window and background around a dark page: a lighter ring stands out there.
    const QPalette palette =
        paletteOf(QColor(0x35, 0x35, 0x35), QColor(0x23, 0x23, 0x23), QColor(0x2A, 0x4F, 0x7A));
    const QColor content(0x10, 0x10, 0x10);
    const QColor ring = ViewportFocusRing::colorFor(palette, content);
    EXPECT_GE(weakestContrast(ring, palette, content), 3);
    EXPECT_GT(ring.lightness(), QColor(0x2A, 0x4F, 0x7A).lightness());
}

TEST(FocusRingColor, WhereNothingStandsOutTheBestItCanIsTaken) {
    // Black beside white beside mid grey: no colour reaches 3:1 with all three.
    const QPalette palette = paletteOf(Qt::white, QColor(0x76, 0x76, 0x76), QColor(0x30, 0x8C, 0xC6));
    const QColor ring = ViewportFocusRing::colorFor(palette, Qt::black);
    EXPECT_GE(weakestContrast(ring, palette, Qt::black),
              weakestContrast(QColor(0x30, 0x8C, 0xC6), palette, Qt::black));
}
