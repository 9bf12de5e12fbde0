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
