// The published check digits the program carries: every one of the 9,454 as the data file has it,
// for exactly the codes of the list, and a code written with a wrong one told from a right one.
#include "CheckDigits.h"
#include "CodeList.h"
#include "WrittenCodes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace kodexa;
using namespace kodexa::codelist;

namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(CheckDigits, EveryCodeOfTheListHasItsPublishedDigit) {
    std::istringstream digits(fileText(std::string(KODEXA_DATA_DIR) + "/cpv2007-check-digits.tsv"));
    const RowStore rows = rowsFromTsv(fileText(std::string(KODEXA_DATA_DIR) + "/cpv2007-de.tsv"));
    std::string line;
    ASSERT_TRUE(std::getline(digits, line));
    EXPECT_EQ(line, "CPV_ID\tCHECK_DIGIT");
    std::size_t row = 0;
    for (; std::getline(digits, line); ++row) {
        ASSERT_EQ(line.size(), 10u) << line;
        const std::string code = line.substr(0, 8);
        ASSERT_LT(row, rows.rowCount());
        EXPECT_EQ(rows.value(row, 0).value_or(""), code); // the same codes in the same order
        EXPECT_EQ(checkDigitOf(code), line[9]) << code;
    }
    EXPECT_EQ(row, 9454u);
    EXPECT_EQ(rows.rowCount(), 9454u);
    EXPECT_EQ(carriedCheckDigits(), fileText(std::string(KODEXA_DATA_DIR) + "/cpv2007-check-digits.tsv"));
}

TEST(CheckDigits, TheCodeAsPublishedAndAWrongDigitTold) {
    EXPECT_EQ(publishedCode("45233140"), "45233140-2");
    EXPECT_EQ(publishedCode("03000000"), "03000000-1");
    EXPECT_EQ(publishedCode("99999999"), "99999999"); // not a code of the list
    EXPECT_EQ(checkDigitOf("4523314"), std::nullopt);
    EXPECT_EQ(checkDigitOf("4523314x"), std::nullopt);
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"45233140-9", "45233140-2"}, {" 45233140-9\t", "45233140-2"},
        {"45233140-2", std::nullopt}, {"45233140", std::nullopt},
        {"99999999-1", std::nullopt}, {"4523314-09", std::nullopt},
        {"45233140-", std::nullopt},  {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(wrongCheckDigit(text), expected) << text;
}

} // namespace

namespace {

// Each text with the codes found in it, as written ("-" where the check digit follows).
TEST(WrittenCodes, CodesAreFoundAsNoticesPortalsAndSentencesWriteThem) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"CPV: 45233140-2 Straßenarbeiten", {"45233140-2"}},
        {"45000000-7, 45233140-2;90911200-8", {"45000000-7", "45233140-2", "90911200-8"}},
        {"45233140\t4523314\t452331400", {"45233140"}}, // seven or nine digits are no code
        {"45233140\u20132 und 45233140\u22129", {"45233140-2", "45233140-9"}}, // en dash, minus sign
        {"45233140-45233150", {"45233140", "45233150"}},                       // a range: two codes, no digit
        {"45233140-23", {"45233140"}}, // two digits after the dash are none
        {"CPV45233140-2.", {"45233140-2"}},
        {"Az. 2026-0815, 1.234.567,89 EUR", {}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<std::string> found;
        for (const WrittenCode& code : writtenCodes(text))
            found.push_back(code.written);
        EXPECT_EQ(found, expected) << text;
    }
    EXPECT_EQ(firstWrongCheckDigit("Straßenarbeiten 45233140-2, 45000000-1"), "45000000-7");
    EXPECT_EQ(firstWrongCheckDigit("45233140 Straßenarbeiten, 99999999-1"), std::nullopt);
}

} // namespace
