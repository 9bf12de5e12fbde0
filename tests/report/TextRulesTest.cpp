#include "FixedWidthMeasurer.h"
#include "PageNavigator.h"
#include "StatusFormat.h"
#include "TextWrap.h"

#include <gtest/gtest.h>

using namespace kodexa::report;
using kodexa::testsupport::FixedWidthMeasurer;

namespace {

std::vector<QString> wrap(const QString& text, double widthInChars) {
    FixedWidthMeasurer measurer;
    return wrapText(measurer, FontSpec(), text, widthInChars * FixedWidthMeasurer::CharWidth);
}

using Lines = std::vector<QString>;

} // namespace

TEST(TextWrap, BreaksAtSpacesAndDropsTheSpacesAtABreak) {
    EXPECT_EQ(wrap("one two three", 13), (Lines{"one two three"}));
    EXPECT_EQ(wrap("one two three", 12), (Lines{"one two", "three"}));
    EXPECT_EQ(wrap("one two three", 7), (Lines{"one two", "three"})); // exactly as wide as the box
    EXPECT_EQ(wrap("one   two", 5), (Lines{"one", "two"}));
    EXPECT_EQ(wrap("one two   ", 7), (Lines{"one two"})); // trailing spaces take no room
    EXPECT_EQ(wrap("  indented text", 11), (Lines{"  indented", "text"}));
}

TEST(TextWrap, CutsAWordOnlyWhenItAloneIsWiderThanALine) {
    EXPECT_EQ(wrap("abcdefghij xy", 4), (Lines{"abcd", "efgh", "ij", "xy"}));
    EXPECT_EQ(wrap("ab abcdefgh", 5), (Lines{"ab", "abcde", "fgh"}));
    EXPECT_EQ(wrap("abc", 0), (Lines{"a", "b", "c"})); // at least one character a line
}

TEST(TextWrap, HardLineBreaksAlwaysBreakAndEmptyTextHasNoLine) {
    EXPECT_EQ(wrap("a\r\nb\nc\rd", 20), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(wrap("a\n\nb", 20), (Lines{"a", "", "b"}));
    EXPECT_TRUE(wrap("", 20).empty());
}

TEST(TextWrap, MeasuresAFittingTextOnceAndALongOneByBisection) {
    FixedWidthMeasurer measurer;
    wrapText(measurer, FontSpec(), QStringLiteral("fits in one line"), 10);
    EXPECT_EQ(measurer.measurements, 1);
    QString manyWords;
    for (int i = 0; i < 64; ++i)
        manyWords += QStringLiteral("word ");
    measurer.measurements = 0;
    const std::vector<QString> lines = wrapText(measurer, FontSpec(), manyWords, 4.0);
    EXPECT_EQ(lines.size(), 8U);
    EXPECT_LT(measurer.measurements, 8 * 8);
}

TEST(TextWrap, TruncateKeepsTheLongestBeginningThatFits) {
    FixedWidthMeasurer measurer;
    EXPECT_EQ(truncateText(measurer, FontSpec(), QStringLiteral("12345678"), 0.8), "12345678");
    EXPECT_EQ(truncateText(measurer, FontSpec(), QStringLiteral("123456789"), 0.8), "12345678");
    EXPECT_EQ(truncateText(measurer, FontSpec(), QStringLiteral("123"), 0.05), "");
}

TEST(StatusFormat, ReplacesThePageCodeInEitherCaseAndADoublePercent) {
    EXPECT_EQ(formatStatus(QStringLiteral("Drucke Seite %p"), 1), "Drucke Seite 1");
    EXPECT_EQ(formatStatus(QStringLiteral("Drucke Seite %P"), 186), "Drucke Seite 186");
    EXPECT_EQ(formatStatus(QStringLiteral("%p%%"), 7), "7%");
    EXPECT_EQ(formatStatus(QStringLiteral("%%p"), 7), "%p");
    EXPECT_EQ(formatStatus(QStringLiteral("%x %"), 7), "%x %"); // other codes and a lone % stay
    EXPECT_EQ(formatStatus(QString(), 7), "");
}

TEST(PageNavigator, EnablesMovesOnlyTowardsPagesThatExist) {
    PageNavigator navigator(3, 100, 10);
    EXPECT_EQ(navigator.page(), 1);
    EXPECT_FALSE(navigator.canGoFirst());
    EXPECT_FALSE(navigator.canGoPrevious());
    EXPECT_TRUE(navigator.canGoNext());
    EXPECT_TRUE(navigator.canGoLast());
    EXPECT_FALSE(navigator.previous());
    EXPECT_TRUE(navigator.next());
    EXPECT_TRUE(navigator.canGoFirst() && navigator.canGoNext());
    EXPECT_TRUE(navigator.last());
    EXPECT_EQ(navigator.page(), 3);
    EXPECT_FALSE(navigator.canGoNext());
    EXPECT_FALSE(navigator.canGoLast());
    EXPECT_FALSE(navigator.next());

    PageNavigator single(1, 100, 10);
    EXPECT_FALSE(single.canGoFirst() || single.canGoPrevious() || single.canGoNext() || single.canGoLast());
}

TEST(PageNavigator, ShowsTheNearestPageAndKeepsTheZoomWithinItsLimits) {
    PageNavigator navigator(5, 100, 10);
    EXPECT_TRUE(navigator.goToPage(9));
    EXPECT_EQ(navigator.page(), 5);
    EXPECT_TRUE(navigator.goToPage(0));
    EXPECT_EQ(navigator.page(), 1);
    EXPECT_FALSE(navigator.goToPage(1)); // the current page: nothing changes

    EXPECT_TRUE(navigator.setZoom(250));
    EXPECT_EQ(navigator.zoom(), 200);
    EXPECT_FALSE(navigator.zoomIn());
    EXPECT_TRUE(navigator.setZoom(5));
    EXPECT_EQ(navigator.zoom(), 10);
    EXPECT_FALSE(navigator.zoomOut());
    EXPECT_FALSE(navigator.setZoom(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(navigator.zoomIn());
    EXPECT_EQ(navigator.zoom(), 20);

    PageNavigator empty(0, 100, 10);
    EXPECT_EQ(empty.page(), 0);
    EXPECT_FALSE(empty.goToPage(1));
}
