#include "Cp1252.h"

#include <gtest/gtest.h>

using namespace kodexa;

TEST(Cp1252, Utf8RoundTripOfTheListsLetters) {
    const std::string utf8 = "Fischerei-, Forst- und zugehörige Erzeugnisse: ÄÖÜäöüßé €";
    const std::string text = cp1252::fromUtf8(utf8);
    EXPECT_EQ(text.size(), 57U);                                        // one byte per character
    EXPECT_EQ(static_cast<unsigned char>(text[28]), 0xF6);              // ö
    EXPECT_EQ(static_cast<unsigned char>(text[text.size() - 1]), 0x80); // euro sign
    EXPECT_EQ(cp1252::toUtf8(text), utf8);
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(cp1252::fromUtf8("a\xE2\x88\x9E"
                               "b"),
              "a?b");                                     // infinity sign
    EXPECT_EQ(cp1252::fromUtf8("\xF0\x9F\x98\x80"), "?"); // emoji, four bytes
    EXPECT_EQ(cp1252::fromUtf8("x\xC3"), "x?");           // cut-off sequence
    EXPECT_EQ(cp1252::fromUtf8("\xFF\xFE"), "??");        // not UTF-8 at all
}

TEST(Cp1252, UpperCaseFollowsTheCodePage) {
    EXPECT_EQ(cp1252::toUpper(cp1252::fromUtf8("feldfrüchte straße café œuvre ÿ")),
              cp1252::fromUtf8("FELDFRÜCHTE STRAßE CAFÉ ŒUVRE Ÿ"));
    EXPECT_EQ(cp1252::toUpper(cp1252::fromUtf8("÷µ")), cp1252::fromUtf8("÷µ"));
    EXPECT_EQ(cp1252::toUpper("09 %_\\'"), "09 %_\\'");
}

// Every small letter of the code page, from a to z and from à to þ, has its capital; the signs
// around them and the letters without a single-byte capital stay.
TEST(Cp1252, UpperCaseCoversTheWholeRangeOfSmallLetters) {
    EXPECT_EQ(cp1252::toUpper("abcdefghijklmnopqrstuvwxyz"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(cp1252::toUpper(cp1252::fromUtf8("àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ")),
              cp1252::fromUtf8("ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ"));
    EXPECT_EQ(cp1252::toUpper(cp1252::fromUtf8("šœžÿ")), cp1252::fromUtf8("ŠŒŽŸ"));
    EXPECT_EQ(cp1252::toUpper(cp1252::fromUtf8("þorn")), cp1252::fromUtf8("ÞORN"));
    // The neighbours of the ranges, the capitals themselves and the letters without a capital.
    const std::string unchanged = cp1252::fromUtf8("@[`{ÀÞß÷×µªº¿ŠŒŽŸ€ABCZ09");
    EXPECT_EQ(cp1252::toUpper(unchanged), unchanged);
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(cp1252::toUpper(cp1252::toUpper(c)), cp1252::toUpper(c)) << byte; // capitals stay
    }
}

TEST(Cp1252, MalformedUtf8BecomesOneQuestionMarkPerBadSpot) {
    EXPECT_EQ(cp1252::fromUtf8("\xC0\xA7"), "??");           // overlong apostrophe: no quote sneaks in
    EXPECT_EQ(cp1252::fromUtf8("a\xC0\x80z"), "a??z");       // overlong NUL
    EXPECT_EQ(cp1252::fromUtf8("\xE0\x80\xA7"), "???");      // overlong in three bytes
    EXPECT_EQ(cp1252::fromUtf8("\xED\xA0\x80"), "???");      // a surrogate
    EXPECT_EQ(cp1252::fromUtf8("\xF4\x90\x80\x80"), "????"); // beyond U+10FFFF
    EXPECT_EQ(cp1252::fromUtf8("\xE2\x82x"), "?x");          // cut off before the third byte
}

namespace {

using Problem = cp1252::StrictConversion::Problem;

Problem strictProblem(std::string_view utf8) {
    return cp1252::fromUtf8Strict(utf8).problem;
}

} // namespace

TEST(Cp1252Strict, TakesWhatTheCodePageHolds) {
    for (const char* utf8 : {"", "Fischerei", "zugehörige", "café", "€ 5", "ÄÖÜäöüß", "a\x7F\xC2\x81"}) {
        const cp1252::StrictConversion result = cp1252::fromUtf8Strict(utf8);
        EXPECT_EQ(result.problem, Problem::None) << utf8;
        // Where nothing is wrong, the lax reading gives the same text.
        EXPECT_EQ(result.text, cp1252::fromUtf8(utf8)) << utf8;
    }
    EXPECT_EQ(cp1252::fromUtf8Strict("\xE2\x82\xAC").text, "\x80");           // the euro sign
    EXPECT_EQ(cp1252::fromUtf8Strict("\xC3\xA4").text, "\xE4");               // ä
    EXPECT_EQ(cp1252::fromUtf8Strict("\xC3\xA9t\xC3\xA9").text, "\xE9t\xE9"); // été
    EXPECT_EQ(cp1252::fromUtf8Strict("\xC5\xB8").text, "\x9F"); // Ÿ, from the code page's upper part
}

TEST(Cp1252Strict, RefusesMalformedUtf8) {
    EXPECT_EQ(strictProblem("\xC0\xA7"), Problem::MalformedUtf8);         // overlong apostrophe
    EXPECT_EQ(strictProblem("\xC0\x80"), Problem::MalformedUtf8);         // overlong NUL
    EXPECT_EQ(strictProblem("\xC1\xBF"), Problem::MalformedUtf8);         // overlong two-byte
    EXPECT_EQ(strictProblem("\xE0\x9F\xBF"), Problem::MalformedUtf8);     // overlong three-byte
    EXPECT_EQ(strictProblem("\xF0\x8F\xBF\xBF"), Problem::MalformedUtf8); // overlong four-byte
    EXPECT_EQ(strictProblem("\xED\xA0\x80"), Problem::MalformedUtf8);     // high surrogate
    EXPECT_EQ(strictProblem("\xED\xBF\xBF"), Problem::MalformedUtf8);     // low surrogate
    EXPECT_EQ(strictProblem("\xF4\x90\x80\x80"), Problem::MalformedUtf8); // U+110000
    EXPECT_EQ(strictProblem("\xF5\x80\x80\x80"), Problem::MalformedUtf8); // lead beyond U+10FFFF
    EXPECT_EQ(strictProblem("\xFF"), Problem::MalformedUtf8);
    EXPECT_EQ(strictProblem("abc\x80"), Problem::MalformedUtf8); // stray continuation byte
    EXPECT_EQ(strictProblem("\xC3"), Problem::MalformedUtf8);    // cut off at the end
    EXPECT_EQ(strictProblem("\xE2\x82"), Problem::MalformedUtf8);
    EXPECT_EQ(strictProblem("\xE2\x82x"), Problem::MalformedUtf8); // cut off in the middle
    EXPECT_EQ(strictProblem("\xF0\x9F\x98"), Problem::MalformedUtf8);
    // The edges of the well-formed ranges pass (they are only outside the code page).
    EXPECT_EQ(strictProblem("\xE0\xA0\x80"), Problem::OutsideCodePage);     // U+0800
    EXPECT_EQ(strictProblem("\xED\x9F\xBF"), Problem::OutsideCodePage);     // U+D7FF
    EXPECT_EQ(strictProblem("\xEE\x80\x80"), Problem::OutsideCodePage);     // U+E000
    EXPECT_EQ(strictProblem("\xF0\x90\x80\x80"), Problem::OutsideCodePage); // U+10000
    EXPECT_EQ(strictProblem("\xF4\x8F\xBF\xBF"), Problem::OutsideCodePage); // U+10FFFF
}

TEST(Cp1252Strict, NamesTheFirstCharacterOutsideTheCodePage) {
    const cp1252::StrictConversion chinese = cp1252::fromUtf8Strict("ab\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(chinese.problem, Problem::OutsideCodePage);
    EXPECT_EQ(chinese.character, U'\u4E2D');
    EXPECT_EQ(cp1252::fromUtf8Strict("\xF0\x9F\x98\x80").character, U'\U0001F600');
    EXPECT_EQ(cp1252::fromUtf8Strict("\xEF\xBF\xBD").character, U'\uFFFD'); // a real replacement character
    EXPECT_EQ(cp1252::fromUtf8Strict("\xC4\x80").character, U'\u0100');     // just past Latin-1
}
