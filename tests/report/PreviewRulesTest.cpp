// The preview's rules that need no window: which pages a print range covers, the zooms that fit a
// page, and the file dialogs' filters.
#include "PageFiles.h"
#include "PageNavigator.h"
#include "PageSelection.h"
#include "PreviewPrompts.h"

#include <gtest/gtest.h>

using namespace kodexa::report;

namespace {

using Pages = std::optional<std::vector<int>>;

Pages pages(std::initializer_list<int> numbers) {
    return std::vector<int>(numbers);
}

Pages range(PrintRangeKind kind, std::string selection, int first, int last, int pageCount) {
    return pagesInRange(PrintRange{kind, std::move(selection), first, last}, pageCount);
}

} // namespace

TEST(PageSelection, ReadsPagesRangesAndOpenEnds) {
    EXPECT_EQ(parsePageSelection("1-3,5", 10), pages({1, 2, 3, 5}));
    EXPECT_EQ(parsePageSelection("7-", 9), pages({7, 8, 9}));
    EXPECT_EQ(parsePageSelection("-2", 9), pages({1, 2}));
    EXPECT_EQ(parsePageSelection("5,1-2,2,5", 9), pages({1, 2, 5})); // in page order, each once
    EXPECT_EQ(parsePageSelection("4-4", 9), pages({4}));
    EXPECT_EQ(parsePageSelection("1-3,", 9), pages({1, 2, 3})); // empty items are skipped
    EXPECT_EQ(parsePageSelection(",,2", 9), pages({2}));
}

TEST(PageSelection, PagesBeyondTheReportAreLeftOut) {
    EXPECT_EQ(parsePageSelection("1-9999", 3), pages({1, 2, 3}));
    EXPECT_EQ(parsePageSelection("0,2", 3), pages({2}));
    EXPECT_EQ(parsePageSelection("4-8", 3), pages({}));
    EXPECT_EQ(parsePageSelection("", 3), pages({}));
    EXPECT_EQ(parsePageSelection("99999999999999999999-", 3), pages({})); // no overflow
    EXPECT_EQ(parsePageSelection("2-99999999999999999999", 3), pages({2, 3}));
}

TEST(PageSelection, TextsOutsideTheGrammarAreRefused) {
    for (const char* text : {"-", "1--3", "1-2-3", "3-1", "a", "1 2", "1;2", "--1", "1,-", "+1"})
        EXPECT_EQ(parsePageSelection(text, 9), std::nullopt) << text;
}

TEST(PrintRange, AllSelectionAndPages) {
    EXPECT_EQ(range(PrintRangeKind::All, "", 1, 9999, 3), pages({1, 2, 3}));
    EXPECT_EQ(range(PrintRangeKind::All, "", 1, 9999, 10000).value().size(), 10000U); // all is all
    EXPECT_EQ(range(PrintRangeKind::Selection, "2,3", 1, 9999, 3), pages({2, 3}));
    EXPECT_EQ(range(PrintRangeKind::Selection, "3-2", 1, 9999, 3), std::nullopt);
    EXPECT_EQ(range(PrintRangeKind::Pages, "ignored", 2, 4, 9), pages({2, 3, 4}));
    EXPECT_EQ(range(PrintRangeKind::Pages, "", 0, 2, 9), pages({1, 2}));
    EXPECT_EQ(range(PrintRangeKind::Pages, "", 8, 20, 9), pages({8, 9}));
    EXPECT_EQ(range(PrintRangeKind::Pages, "", 4, 2, 9), pages({}));
    EXPECT_EQ(range(PrintRangeKind::Pages, "", 10, 12, 9), pages({}));
}

// A4 at 96 pixels to the inch at 100 % is 793.7 x 1122.5 pixels.
TEST(FitZoom, FitToPageTakesTheSmallerScaleRoundedDownToATenth) {
    constexpr double Width = 8.2677;
    constexpr double Height = 11.6929;
    EXPECT_DOUBLE_EQ(PageNavigator::fitPageZoom(Width, Height, 600, 330, 96), 29.3);  // 330 / 1122.5
    EXPECT_DOUBLE_EQ(PageNavigator::fitPageZoom(Width, Height, 300, 2000, 96), 37.7); // 300 / 793.7
    EXPECT_DOUBLE_EQ(PageNavigator::fitPageZoom(Width, Height, 794, 1123, 96), 100.0);
    EXPECT_DOUBLE_EQ(PageNavigator::fitPageZoom(Width, Height, 0, 100, 96), 0.0); // setZoom raises it to 10
}

TEST(FitZoom, FitToPageWidthLeavesRoomForTheScrollBarOnlyWhenThePageIsTaller) {
    constexpr double Width = 8.2677;
    constexpr double Height = 11.6929;
    EXPECT_DOUBLE_EQ(PageNavigator::fitPageWidthZoom(Width, Height, 600, 330, 16, 96), 73.5); // 584 / 793.7
    EXPECT_DOUBLE_EQ(PageNavigator::fitPageWidthZoom(Width, Height, 600, 900, 16, 96), 75.5); // 600 / 793.7
    // Landscape in a tall area: the width fits without a scroll bar.
    EXPECT_DOUBLE_EQ(PageNavigator::fitPageWidthZoom(Height, Width, 600, 900, 16, 96), 53.4);
}

TEST(PageNavigator, ZoomStaysWithinTenAndTwoHundred) {
    PageNavigator navigator(3, 100, 10);
    EXPECT_TRUE(navigator.setZoom(250));
    EXPECT_EQ(navigator.zoom(), 200);
    EXPECT_FALSE(navigator.zoomIn());
    EXPECT_TRUE(navigator.setZoom(5));
    EXPECT_EQ(navigator.zoom(), 10);
    EXPECT_FALSE(navigator.zoomOut());
    EXPECT_TRUE(navigator.setZoom(15));
    EXPECT_TRUE(navigator.zoomOut()); // 5 becomes 10
    EXPECT_EQ(navigator.zoom(), 10);
    EXPECT_FALSE(navigator.setZoom(std::numeric_limits<double>::quiet_NaN()));
}

TEST(FileFilters, TheEnginesFiltersBecomeNameFilters) {
    EXPECT_EQ(toNameFilters(openFileFilter()),
              (QStringList{QStringLiteral("Rave Snapshot Files (*.ndr)"), QStringLiteral("All Files (*)")}));
    QString saveFilter = pageFileFormat().filter;
    for (const FileFormat& renderer : fileRenderers())
        saveFilter += u'|' + renderer.filter;
    EXPECT_EQ(toNameFilters(saveFilter), (QStringList{QStringLiteral("Rave Snapshot Files (*.ndr)"),
                                                      QStringLiteral("PDF Files (*.pdf)")}));
    EXPECT_EQ(toNameFilters(QStringLiteral("Texts|*.txt;*.text|dangling")),
              QStringList{"Texts (*.txt *.text)"});
    EXPECT_EQ(suffixOfNameFilter(QStringLiteral("PDF Files (*.pdf)")), QStringLiteral("pdf"));
    EXPECT_EQ(suffixOfNameFilter(QStringLiteral("All Files (*)")), QString());
}
