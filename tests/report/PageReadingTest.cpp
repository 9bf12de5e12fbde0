// The reading order of a stored page: what a screen reader reads from the preview's page area.
#include "PageReading.h"

#include <gtest/gtest.h>

using namespace kodexa::report;

namespace {

using Rows = std::vector<std::vector<std::size_t>>;

Rows rowsOf(const PageStore& store, std::size_t page = 0) {
    Rows rows;
    for (const ReadingRow& row : readingRows(store, page))
        rows.push_back(row.items);
    return rows;
}

// A page of texts of the given font at (x, baseline), in the order given.
struct TextAt {
    double x;
    double baseline;
    std::uint32_t font = 0;
    std::string text = "t";
};

PageStore pageOf(const std::vector<TextAt>& texts, std::vector<FontSpec> fonts = {{"Arial", 10}}) {
    PageStore store;
    for (const FontSpec& font : fonts)
        store.addFont(font);
    Page& page = store.addPage(8.27, 11.69);
    for (const TextAt& text : texts)
        page.items.emplace_back(PageText{text.x, text.baseline, text.font, text.text});
    return store;
}

} // namespace

TEST(PageReading, RowsGoDownThePageAndTextsAcrossEachRowWhateverTheDrawingOrder) {
    PageStore store;
    const std::uint32_t font = store.addFont({"Arial", 10});
    Page& page = store.addPage(8.27, 11.69);
    page.items = {PageText{4.0, 2.0, font, "d"},     PageText{1.0, 1.0, font, "a"},
                  PageLine{0, 1.5, 8, 1.5, 0.01, 0}, PageText{4.0, 1.0, font, "c"},
                  PageText{1.0, 2.0, font, "e"},     PageText{2.5, 1.0, font, "b"}};
    EXPECT_EQ(rowsOf(store), (Rows{{1, 5, 3}, {4, 0}}));
}

TEST(PageReading, TextsCloserThanHalfTheSmallerFontShareARow) {
    // 10 pt: half is 5/72 in (0.0694). A 20-pt heading set a little lower than the 10-pt text beside it.
    const std::vector<FontSpec> fonts{{"Arial", 10}, {"Arial", 20, true}};
    EXPECT_EQ(rowsOf(pageOf({{1, 1.0}, {3, 1.069, 1}}, fonts)), (Rows{{0, 1}}));
    EXPECT_EQ(rowsOf(pageOf({{1, 1.0}, {3, 1.07, 1}}, fonts)), (Rows{{0}, {1}}));
    EXPECT_EQ(rowsOf(pageOf({{3, 1.0, 1}, {1, 1.069}}, fonts)), (Rows{{1, 0}}));
    // A line further down, at the line spacing of the smallest font, is a row of its own.
    EXPECT_EQ(rowsOf(pageOf({{1, 1.0}, {1, 1.0 + 11.5 / 72}})), (Rows{{0}, {1}}));
}

TEST(PageReading, ARowIsMeasuredFromItsFirstTextSoItNeverCreepsDown) {
    // Each text is within reach of the one above, but the third is too far from the first.
    EXPECT_EQ(rowsOf(pageOf({{3, 1.10}, {1, 1.0}, {2, 1.05}})), (Rows{{1, 2}, {0}}));
}

TEST(PageReading, TextsThatPrintNothingAreLeftOut) {
    PageStore store = pageOf({{1, 1, 0, ""}, {2, 1, 0, "  \t"}, {3, 1, 7, "no such font"}, {4, 1, 0, "a"}});
    EXPECT_EQ(rowsOf(store), (Rows{{3}}));
    EXPECT_EQ(rowsOf(pageOf({{1, 1, 0, ""}})), Rows{});
    EXPECT_EQ(rowsOf(store, 1), Rows{}); // no such page
    EXPECT_EQ(rowsOf(PageStore()), Rows{});
}

TEST(PageReading, TextsPrintedOverEachOtherKeepTheirDrawingOrder) {
    EXPECT_EQ(rowsOf(pageOf({{1, 1, 0, "b"}, {1, 1, 0, "a"}, {0.5, 1, 0, "c"}})), (Rows{{2, 0, 1}}));
}
