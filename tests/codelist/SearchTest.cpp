#include "Search.h"
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Collation.h"
#include "Cp1252.h"
#include "DatabaseError.h"

#include <gtest/gtest.h>

#include <set>

using namespace kodexa;

namespace {

std::string cp(std::string_view utf8) {
    return cp1252::fromUtf8(utf8);
}

struct CountingObserver : DataSetObserver {
    void dataSetChanged(const TClientDataSet&) override { ++dataChanges; }
    void recordChanged(const TClientDataSet&) override { ++recordChanges; }
    int dataChanges = 0;
    int recordChanges = 0;
};

struct Row {
    std::string code;
    std::string description;
};

// The rows of the carried list in stored order, read once, to compute expected selections
// independently of the filter.
const std::vector<Row>& listRows() {
    static const std::vector<Row> rows = [] {
        TClientDataSet table("QueryCPVTree");
        codelist::loadCarried(table);
        std::vector<Row> all;
        for (table.first(); !table.eof(); table.next())
            all.push_back({table.fieldAsString("CPV_ID"), table.fieldAsString("CPV_DESC")});
        return all;
    }();
    return rows;
}

template <typename Predicate> std::set<std::string> codesWhere(Predicate predicate) {
    std::set<std::string> codes;
    for (const Row& row : listRows()) {
        if (predicate(row))
            codes.insert(row.code);
    }
    return codes;
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.setCollator(makeLocaleCollator("de_DE"));
        codelist::loadCarried(table);
        table.addObserver(&grid);
    }
    void TearDown() override { table.removeObserver(&grid); }

    // Runs the search with UTF-8 inputs; returns the error report's message, empty when accepted.
    std::string search(std::string_view code, std::string_view description) {
        try {
            applySearch(table, cp(code), cp(description));
        } catch (const DatabaseError& error) {
            return error.what();
        }
        return {};
    }
    std::vector<std::string> viewCodes() {
        std::vector<std::string> codes;
        for (table.first(); !table.eof(); table.next())
            codes.push_back(table.fieldAsString("CPV_ID"));
        table.first();
        return codes;
    }
    std::set<std::string> viewCodeSet() {
        const std::vector<std::string> codes = viewCodes();
        return {codes.begin(), codes.end()};
    }

    TClientDataSet table{"ClientDataSet1"};
    CountingObserver grid;
};

// A small table for texts the carried list does not contain.
class SmallTableSearch : public ::testing::Test {
protected:
    void SetUp() override {
        table.setCollator(makeLocaleCollator("de_DE"));
        table.setCarriedBlock(asBytes(block));
        table.setIndexFieldNames("CPV_ID");
        table.open();
    }
    std::vector<std::string> codesFor(std::string_view description) {
        applySearch(table, "", cp(description));
        std::vector<std::string> codes;
        for (table.first(); !table.eof(); table.next())
            codes.push_back(table.fieldAsString("CPV_ID"));
        return codes;
    }

    const std::string block = codelist::blockFromTsv("CPV_ID\tCPV_DESC\n"
                                                     "10000000\tABC-Analyse\n"
                                                     "20000000\tA C Strom\n"
                                                     "30000000\tKernobst%\n"
                                                     "40000000\tBouton d'or\n"
                                                     "50000000\tAC\n");
    TClientDataSet table{"ClientDataSet1"};
};

using Codes = std::vector<std::string>;

} // namespace

TEST(SearchFilter, IsBuiltFromTheFixedPiecesAndTheTextsAsTyped) {
    EXPECT_EQ(buildSearchFilter("03", ""), " CPV_ID >= '03' AND CPV_ID < '039999999' ");
    EXPECT_EQ(buildSearchFilter("", "obst"), " UPPER(CPV_DESC) LIKE '%OBST%' ");
    EXPECT_EQ(buildSearchFilter("03", "obst"),
              " CPV_ID >= '03' AND CPV_ID < '039999999'  AND  UPPER(CPV_DESC) LIKE '%OBST%' ");
    EXPECT_EQ(buildSearchFilter("", ""), "");
    EXPECT_EQ(buildSearchFilter(" ", ""), " CPV_ID >= ' ' AND CPV_ID < ' 9999999' ");
    EXPECT_EQ(buildSearchFilter("a'b", cp("straße d'or é")),
              cp(" CPV_ID >= 'a'b' AND CPV_ID < 'a'b9999999'  AND  UPPER(CPV_DESC) LIKE '%STRAßE D'OR É%' "));
}

// A code copied from a notice, "03000000-1", searches for its eight digits; the check digit is
// not verified. Only that exact form: every neighbour goes into the expression as typed.
TEST(SearchFilter, APublishedCodeWithCheckDigitStandsForItsEightDigits) {
    const std::string eightDigits = buildSearchFilter("03000000", "");
    EXPECT_EQ(eightDigits, " CPV_ID >= '03000000' AND CPV_ID < '030000009999999' ");
    for (const char* text : {"03000000-1", "03000000-0", " 03000000-9", "03000000-1  ", "\t 03000000-1\t"})
        EXPECT_EQ(buildSearchFilter(text, ""), eightDigits) << text;
    EXPECT_EQ(buildSearchFilter("03000000-1", "obst"), buildSearchFilter("03000000", "obst"));
    EXPECT_EQ(buildSearchFilter("", "03000000-1"), " UPPER(CPV_DESC) LIKE '%03000000-1%' ");

    for (std::string_view text : {"03000000-12", "03000000 - 1", "03000000 -1", "03000000- 1", "0300000-1",
                                  "030000000-1", "03000000-", "03000000--1", "03000000-a", "0300000a-1",
                                  "03000000_1", "-03000000-1", " 03", "03000000"}) {
        const std::string typed(text);
        EXPECT_EQ(buildSearchFilter(text, ""),
                  " CPV_ID >= '" + typed + "' AND CPV_ID < '" + typed + "9999999' ")
            << text;
    }
}

TEST_F(SearchTest, APublishedCodeSelectsItsCodeAndItsNeighboursWhatTheyDidBefore) {
    for (const char* text : {"03000000-1", " 03000000-7 ", "45000000-7"}) {
        ASSERT_EQ(search(text, ""), "") << text;
        const std::string code = std::string(text).substr(text[0] == ' ' ? 1 : 0, 8);
        EXPECT_EQ(viewCodes(), Codes{code}) << text;
        EXPECT_EQ(table.filter(), buildSearchFilter(code, "")) << text;
        EXPECT_EQ(table.fieldAsString("CPV_ID"), code);
    }
    // With the description the code stays the eight digits.
    ASSERT_EQ(search("03000000-1", "Landwirtschaft"), "");
    EXPECT_EQ(viewCodes(), Codes{"03000000"});

    // Ten digits (a hyphen weighs nothing) and a blank inside find nothing, as before.
    for (const char* text : {"03000000-12", "03000000 - 1"}) {
        ASSERT_EQ(search(text, ""), "") << text;
        EXPECT_TRUE(table.filtered());
        EXPECT_EQ(table.recordCount(), 0U) << text;
    }
    // Seven digits, a hyphen and one more are the eight digits 03000001, which no code begins with.
    ASSERT_EQ(search("0300000-1", ""), "");
    EXPECT_EQ(viewCodeSet(), codesWhere([](const Row& row) { return row.code.starts_with("03000001"); }));
    EXPECT_EQ(table.filter(), " CPV_ID >= '0300000-1' AND CPV_ID < '0300000-19999999' ");
}

TEST_F(SearchTest, BothInputsEmptyShowEveryRowUnfiltered) {
    ASSERT_EQ(search("03", ""), "");
    table.next();
    ASSERT_EQ(search("", ""), "");
    EXPECT_FALSE(table.filtered());
    EXPECT_EQ(table.filter(), "");
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    EXPECT_EQ(grid.dataChanges, 2); // one redraw per search
}

TEST_F(SearchTest, CodeTextSelectsTheCodesThatBeginWithIt) {
    const auto beginningWith = [](std::string prefix) {
        return codesWhere([&](const Row& row) { return row.code.starts_with(prefix); });
    };
    const std::set<std::string> division03 = beginningWith("03");
    ASSERT_GT(division03.size(), 100U);
    ASSERT_EQ(search("03", ""), "");
    EXPECT_EQ(viewCodeSet(), division03);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    ASSERT_EQ(search("0", ""), "");
    EXPECT_EQ(viewCodeSet(), beginningWith("0"));
    ASSERT_EQ(search("03111100", ""), "");
    EXPECT_EQ(viewCodes(), Codes{"03111100"});
    // Hyphens weigh nothing: the same rows as the digits alone.
    for (const char* code : {"0-3", "03-", "0-3-"}) {
        ASSERT_EQ(search(code, ""), "") << code;
        EXPECT_EQ(viewCodeSet(), division03) << code;
    }
}

TEST_F(SearchTest, CodeTextsThatNoCodeBeginsWithGiveAnEmptyViewAndNoError) {
    // Nine digits; a blank sorts before every digit; letters after them.
    for (const char* code : {"031111000", " 03", "03 ", "0 3", "abc", "3a"}) {
        EXPECT_EQ(search(code, ""), "") << code;
        EXPECT_TRUE(table.filtered());
        EXPECT_EQ(table.recordCount(), 0U) << code;
        EXPECT_TRUE(table.eof());
    }
}

// The code condition's table of selections, row by row, over the whole carried list.
TEST_F(SearchTest, TheTableOfSelectionsHoldsOverTheWholeList) {
    const auto beginningWith = [](const std::string& prefix) {
        return codesWhere([&](const Row& row) { return row.code.starts_with(prefix); });
    };
    const auto selects = [&](const std::string& code) {
        EXPECT_EQ(search(code, ""), "") << code;
        EXPECT_TRUE(table.filtered()) << code;
        return viewCodeSet();
    };
    // One digit: the codes beginning with it.
    for (char digit = '0'; digit <= '9'; ++digit) {
        const std::string code(1, digit);
        EXPECT_EQ(selects(code), beginningWith(code)) << code;
    }
    // Two to eight digits: exactly the codes beginning with them, also where none does; eight
    // digits select that one code.
    std::set<std::string> prefixes = {"00", "10", "99", "0311", "031111", "0311110", "0311111", "99999999"};
    for (std::size_t i = 0; i < listRows().size(); i += 97) {
        for (std::size_t length = 2; length <= 7; ++length)
            prefixes.insert(listRows()[i].code.substr(0, length));
    }
    for (const std::string& prefix : prefixes)
        EXPECT_EQ(selects(prefix), beginningWith(prefix)) << prefix;
    for (std::size_t i = 0; i < listRows().size(); i += 19) {
        const std::string& code = listRows()[i].code;
        EXPECT_EQ(selects(code), std::set<std::string>{code});
    }
    EXPECT_EQ(selects("98910000"), std::set<std::string>{"98910000"}); // the last row
    // Nine or more digits: none.
    for (const char* code : {"030000000", "031111000", "989100000", "0300000000", "030000000000"})
        EXPECT_EQ(selects(code), std::set<std::string>{}) << code;
    // Digits with hyphens, and apostrophes typed as two quotes: the rows of the digits alone.
    const std::set<std::string> division03 = beginningWith("03");
    const std::set<std::string> code03000000 = {"03000000"};
    for (const char* code : {"03-", "0-3", "-03", "-0-3-", "0--3", "0''3", "''03", "03''", "0-''3"})
        EXPECT_EQ(selects(code), division03) << code;
    for (const char* code : {"0300000-0", "03-000000", "03000000-", "-03000000", "0''3000000", "03000000''",
                             "0-3-0-0-0-0-0-0", "0300-0000"})
        EXPECT_EQ(selects(code), code03000000) << code;
    EXPECT_EQ(selects("0-"), beginningWith("0"));
    EXPECT_EQ(selects("031-11"), beginningWith("03111"));
    EXPECT_EQ(selects("0-31111000-"), std::set<std::string>{}); // still nine digits
    // Any letter, blank or other punctuation: none.
    for (const char* code : {" 03", "03 ", "0 3", " ",   "abc", "3a",        "03a",      "0300000a", "A",
                             "é",   "03.", "03,", "0/3", "03;", "03:",       "03=",      "03&",      "03\"",
                             "(03", "03)", "03_", "03%", "03*", "0300000.0", "03000000 "})
        EXPECT_EQ(selects(code), std::set<std::string>{}) << code;
}

TEST_F(SearchTest, DescriptionTextMatchesInAnyMixOfCase) {
    const std::set<std::string> withObst = codesWhere(
        [](const Row& row) { return cp1252::toUpper(row.description).find("OBST") != std::string::npos; });
    ASSERT_GT(withObst.size(), 5U);
    ASSERT_EQ(search("", "obst"), "");
    EXPECT_EQ(viewCodeSet(), withObst);
    ASSERT_EQ(search("", "oBsT"), "");
    EXPECT_EQ(viewCodeSet(), withObst);
}

TEST_F(SearchTest, UmlautsHaveCapitalsTheSharpSDoesNot) {
    ASSERT_EQ(search("", "früchte"), "");
    EXPECT_TRUE(viewCodeSet().contains("03110000")); // Feldfrüchte und Erzeugnisse des Erwerbsgartenbaus
    ASSERT_FALSE(codesWhere([](const Row& row) {
                     return row.description.find(cp("Straße")) != std::string::npos;
                 }).empty());
    ASSERT_EQ(search("", "STRASSE"), "");
    EXPECT_EQ(table.recordCount(), 0U);
    ASSERT_EQ(search("", "STRAßE"), "");
    EXPECT_GT(table.recordCount(), 0U);
}

TEST_F(SearchTest, PercentAndUnderscoreAreWildcards) {
    ASSERT_EQ(search("", "%"), "");
    EXPECT_EQ(table.recordCount(), 9454U);
    ASSERT_EQ(search("", "_"), "");
    EXPECT_EQ(table.recordCount(), 9454U); // no description is empty
    const std::set<std::string> aAnyC = codesWhere([](const Row& row) {
        const std::string upper = cp1252::toUpper(row.description);
        for (std::size_t i = 0; i + 2 < upper.size(); ++i) {
            if (upper[i] == 'A' && upper[i + 2] == 'C')
                return true;
        }
        return false;
    });
    ASSERT_EQ(search("", "a_c"), "");
    EXPECT_EQ(viewCodeSet(), aAnyC);
}

TEST_F(SmallTableSearch, WildcardsEscapesAndQuotesInTheDescriptionText) {
    EXPECT_EQ(codesFor("a_c"), (Codes{"10000000", "20000000"}));
    EXPECT_EQ(codesFor("ac"), Codes{"50000000"});
    // A closing backslash makes the closing wildcard an ordinary percent sign.
    EXPECT_EQ(codesFor("obst\\"), Codes{"30000000"});
    EXPECT_EQ(codesFor("d'or"), Codes{"40000000"});
    EXPECT_EQ(codesFor("\\_"), Codes{});
}

// One digit d keeps every code beginning with d except d and seven nines, the upper bound itself.
TEST(SmallTableSelection, OneDigitStopsBeforeTheCodeOfSevenNines) {
    const std::string block = codelist::blockFromTsv("CPV_ID\tCPV_DESC\n"
                                                     "29999999\tA\n"
                                                     "30000000\tB\n"
                                                     "39999998\tC\n"
                                                     "39999999\tD\n"
                                                     "40000000\tE\n");
    TClientDataSet table("ClientDataSet1");
    table.setCollator(makeLocaleCollator("de_DE"));
    table.setCarriedBlock(asBytes(block));
    table.setIndexFieldNames("CPV_ID");
    table.open();
    const auto codesFor = [&](std::string_view code) {
        applySearch(table, code, "");
        std::vector<std::string> codes;
        for (table.first(); !table.eof(); table.next())
            codes.push_back(table.fieldAsString("CPV_ID"));
        return codes;
    };
    EXPECT_EQ(codesFor("3"), (Codes{"30000000", "39999998"}));
    EXPECT_EQ(codesFor("3-"), (Codes{"30000000", "39999998"}));
    EXPECT_EQ(codesFor("39999999"), Codes{"39999999"}); // eight digits still find it
}

TEST_F(SearchTest, AClosingBackslashOrAQuoteBeforeAPlainWordFindNothingInTheList) {
    ASSERT_EQ(search("", "obst\\"), "");
    EXPECT_EQ(table.filter(), " UPPER(CPV_DESC) LIKE '%OBST\\%' ");
    EXPECT_EQ(table.recordCount(), 0U);
    ASSERT_EQ(search("", "d'or"), "");
    EXPECT_EQ(table.filter(), " UPPER(CPV_DESC) LIKE '%D'OR%' ");
    EXPECT_EQ(table.recordCount(), 0U);
}

TEST_F(SearchTest, AQuoteBeforeAKeywordEndsTheConstantAndTheRestFails) {
    table.next();
    EXPECT_EQ(search("", "x' or y"), "ClientDataSet1: Das Feld 'Y' wurde nicht gefunden");
    EXPECT_FALSE(table.filtered());
    EXPECT_EQ(table.filter(), " UPPER(CPV_DESC) LIKE '%X' OR Y%' "); // kept, without effect
    EXPECT_EQ(table.recordCount(), 9454U);
    EXPECT_EQ(table.fieldAsString("CPV_ID"), "03000000");
    EXPECT_FALSE(table.controlsDisabled());
    EXPECT_EQ(grid.dataChanges, 1);
}

// A tab is no blank to the look-ahead after a quote: the word after it is no keyword, the quote
// stays in the constant, and the search finds nothing instead of failing.
TEST_F(SearchTest, AQuoteBeforeAKeywordJoinedByATabStaysInTheConstant) {
    for (const char* description : {"x' or\ty", "x'\tor y"}) {
        EXPECT_EQ(search("", description), "") << description;
        EXPECT_TRUE(table.filtered());
        EXPECT_EQ(table.recordCount(), 0U) << description;
    }
    EXPECT_EQ(table.filter(), " UPPER(CPV_DESC) LIKE '%X'\tOR Y%' ");
    EXPECT_EQ(search("", "x' or y"), "ClientDataSet1: Das Feld 'Y' wurde nicht gefunden");
    EXPECT_EQ(search("", "x' OR y"), "ClientDataSet1: Das Feld 'Y' wurde nicht gefunden");
    EXPECT_EQ(search("03\t", ""), ""); // a tab inside a code constant is an ordinary character
    EXPECT_EQ(table.recordCount(), 0U);
}

TEST_F(SearchTest, ACodeTextOfOneQuoteShowsEveryRow) {
    ASSERT_EQ(search("'", ""), "");
    EXPECT_EQ(table.filter(), " CPV_ID >= ''' AND CPV_ID < ''9999999' ");
    EXPECT_TRUE(table.filtered());
    EXPECT_EQ(table.recordCount(), 9454U);
}

TEST_F(SearchTest, BothTextsTogetherKeepTheRowsThatSatisfyBoth) {
    const std::set<std::string> expected = codesWhere([](const Row& row) {
        return row.code.starts_with("03") &&
               cp1252::toUpper(row.description).find("OBST") != std::string::npos;
    });
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(search("03", "obst"), "");
    EXPECT_EQ(table.filter(),
              " CPV_ID >= '03' AND CPV_ID < '039999999'  AND  UPPER(CPV_DESC) LIKE '%OBST%' ");
    EXPECT_EQ(viewCodeSet(), expected);
}

TEST_F(SearchTest, ASecondSearchWithTheSameTextsGivesTheSameRowsFromTheFirst) {
    ASSERT_EQ(search("44", "glocke"), "");
    const std::vector<std::string> first = viewCodes();
    table.last();
    ASSERT_EQ(search("44", "glocke"), "");
    EXPECT_EQ(viewCodes(), first);
    EXPECT_EQ(table.recNo(), 0U);
}

// Every message of the expression reader, reached by typing quotes into the inputs.
TEST_F(SearchTest, QuotesInTheInputsReachEveryMessageOfTheReader) {
    struct Case {
        const char* code;
        const char* description;
        const char* message;
    };
    const Case cases[] = {
        {"cpv_id 'or (", "", "Nicht begrenzte String-Konstante"},
        {"", "a'.b", "Ungültiges Zeichen in Filterausdruck: '.'"},
        {"", "x' or %", "Ungültiges Zeichen in Filterausdruck: '%'"},
        {"", "x' or )", "Ausdruck erwartet, jedoch ')' vorgefunden"},
        {"0'", "", "Filterausdruck fehlerhaft abgeschlossen"},
        {"0' or cpv_id = 5 or '", "", "Fehlende Typübereinstimmung im Ausdruck"},
        {"", "x' or y", "ClientDataSet1: Das Feld 'Y' wurde nicht gefunden"},
        {"", "x' or größe", "ClientDataSet1: Das Feld 'GRÖßE' wurde nicht gefunden"},
        {"", "x' is y", "Ungültige Verwendung eines Schlüsselworts"},
        {"", "x' or '", "Ungültiger Filterausdruck"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(search("03", ""), "");
        EXPECT_EQ(search(c.code, c.description), c.message) << c.code << " / " << c.description;
        EXPECT_FALSE(table.filtered());
        EXPECT_EQ(table.recordCount(), 9454U);
        EXPECT_FALSE(table.controlsDisabled());
    }
}

// ---- Sort orders --------------------------------------------------------------------------------

TEST_F(SearchTest, EqualDescriptionsKeepTheSmallerCodeFirst) {
    table.setIndexFieldNames("CPV_DESC");
    const std::vector<std::string> order = viewCodes();
    const auto before = [&](const char* first, const char* second) {
        return std::find(order.begin(), order.end(), first) < std::find(order.begin(), order.end(), second);
    };
    EXPECT_TRUE(before("37316200", "44423100")); // Glocken
    for (auto [first, second] : {std::pair{"18929000", "33711640"},
                                 {"22816000", "22816100"},
                                 {"30132000", "30132300"},
                                 {"30194000", "39292300"},
                                 {"30198100", "37540000"},
                                 {"33927000", "38412000"},
                                 {"35333200", "35620000"},
                                 {"44144000", "44212225"}})
        EXPECT_TRUE(before(first, second)) << first;
}

TEST_F(SearchTest, DescriptionOrderIsAlphabeticalNotByBytes) {
    table.setIndexFieldNames("CPV_DESC");
    std::vector<std::string> descriptions;
    for (table.first(); !table.eof(); table.next())
        descriptions.push_back(table.fieldAsString("CPV_DESC"));
    ASSERT_EQ(descriptions.size(), 9454U);
    const LocaleCollator german("de_DE");
    for (std::size_t i = 0; i + 1 < descriptions.size(); ++i)
        ASSERT_LE(german.compare(descriptions[i], descriptions[i + 1]), 0) << i;
    // Small initials and umlauts stand among their capitals' letter.
    const auto initialLetter = [](const std::string& text) {
        const char c = cp1252::toUpper(text.substr(0, 1))[0];
        switch (static_cast<unsigned char>(c)) {
        case 0xC4:
            return 'A';
        case 0xD6:
            return 'O';
        case 0xDC:
            return 'U';
        default:
            return c;
        }
    };
    const auto biometric = std::find(descriptions.begin(), descriptions.end(), "biometrische Sensoren");
    ASSERT_NE(biometric, descriptions.end());
    EXPECT_EQ(initialLetter(*(biometric - 1)), 'B');
    EXPECT_EQ(initialLetter(*(biometric + 1)), 'B');
    int umlauts = 0;
    for (std::size_t i = 1; i + 1 < descriptions.size(); ++i) {
        const unsigned char first = static_cast<unsigned char>(descriptions[i][0]);
        if (first != 0xC4 && first != 0xD6 && first != 0xDC)
            continue;
        ++umlauts;
        EXPECT_EQ(initialLetter(descriptions[i - 1]), initialLetter(descriptions[i])) << i;
        EXPECT_EQ(initialLetter(descriptions[i + 1]), initialLetter(descriptions[i])) << i;
    }
    EXPECT_GT(umlauts, 10);
}

TEST_F(SearchTest, SwitchingOrdersKeepsTheFilterTheRecordAndReturnsToTheInitialOrder) {
    const std::vector<std::string> initial = viewCodes();
    ASSERT_EQ(search("03", ""), "");
    const std::set<std::string> filtered = viewCodeSet();
    for (int i = 0; i < 5; ++i)
        table.next();
    const std::string current = table.fieldAsString("CPV_ID");
    table.setIndexFieldNames("CPV_DESC");
    EXPECT_EQ(table.fieldAsString("CPV_ID"), current);
    EXPECT_TRUE(table.filtered());
    EXPECT_EQ(viewCodeSet(), filtered);
    ASSERT_EQ(search("", ""), "");
    table.setIndexFieldNames("CPV_ID");
    EXPECT_EQ(viewCodes(), initial);
}
