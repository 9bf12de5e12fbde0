// The deferred collation stands in for the built one: every order and filter must come out the same,
// and a table in code order, searched by codes, must not build it.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Collation.h"
#include "Cp1252.h"
#include "DatabaseError.h"
#include "Search.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace kodexa;

namespace {

const std::shared_ptr<const LocaleCollator>& german() {
    static const std::shared_ptr<const LocaleCollator> collator = makeLocaleCollator("de_DE");
    return collator;
}

// German, built only when asked; the digit question answered as the user's collation answers it.
std::shared_ptr<const DeferredCollator> deferredGerman(int* builds = nullptr) {
    return std::make_shared<const DeferredCollator>(
        [builds] {
            if (builds != nullptr)
                ++*builds;
            return std::shared_ptr<const Collator>(german());
        },
        [] { return tailoringLeavesDigitsAlone("de_DE"); });
}

struct Outcome {
    std::vector<std::uint32_t> rows; // the view, as stored row numbers
    std::string error;
};

Outcome view(TClientDataSet& table, std::string_view order, std::string_view filter) {
    Outcome outcome;
    try {
        table.setIndexFieldNames(order);
        table.setFilter(filter);
        table.setFiltered(!filter.empty());
    } catch (const DatabaseError& error) {
        outcome.error = error.what();
    }
    for (std::size_t position = 0; position < table.recordCount(); ++position)
        outcome.rows.push_back(table.rowAt(position));
    return outcome;
}

// Rows beside the carried list that a code search meets only in hand-made tables: codes with
// hyphens, blanks and letters, a missing description.
const std::string& oddRowsBlock() {
    static const std::string block = codelist::blockFromTsv("CPV_ID\tCPV_DESC\n"
                                                            "03000000\tObst\n"
                                                            "0-300000\tBindestrich\n"
                                                            "03 00000\tLeerzeichen\n"
                                                            "0300000A\tBuchstabe\n"
                                                            "A3000000\tvorn\n"
                                                            "3\tkurz\n"
                                                            "030000000\tlang\n"
                                                            "02999999\t\n");
    return block;
}

struct Case {
    std::string filter;  // Windows-1252
    bool needsCollation; // in code order over digit codes
};

std::vector<Case> cases() {
    std::vector<Case> all = {
        {"", false},
        {buildSearchFilter("03", ""), false},
        {buildSearchFilter("03000000", ""), false},
        {buildSearchFilter("9", ""), false},
        {buildSearchFilter("", cp1252::toUpper("obst")), false},
        {buildSearchFilter("03", "OBST"), false},
        {"CPV_ID = '03000000'", false},
        {"CPV_ID <> '03000000'", false},
        {"NOT CPV_ID >= '5'", false},
        {"CPV_ID < '1' OR CPV_ID > '98'", false},
        {"CPV_ID IS NULL", false},
        {buildSearchFilter("0-3", ""), true},
        {buildSearchFilter("03 ", ""), true},
        {buildSearchFilter("x", ""), true},
        {"CPV_ID > 'A'", true},
        {"CPV_ID >= '0-3' AND CPV_ID < '0-4'", true},
        {"CPV_DESC >= 'Obst' AND CPV_DESC < 'P'", true},
        {"UPPER(CPV_DESC) > 'Z'", true},
        {"CPV_DESC = UPPER(CPV_DESC)", true},
        {"CPV_ID < '1' OR CPV_DESC < 'B'", true},
        {"'co-op' < 'Coop'", true},
        {"'03' = '03'", true},
        {"CPV_ID >= '03", false}, // rejected: unclosed constant
        {"CPV_DESC LIKE", false}, // rejected
    };
    all.push_back({cp1252::fromUtf8("UPPER(CPV_DESC) LIKE '%ÄPFEL%'"), false});
    all.push_back({cp1252::fromUtf8("CPV_DESC >= 'Äpfel'"), true});
    return all;
}

// digitCodes: every code of the list is digits, so that code order needs no collation. Each order
// has one table of each kind that runs every filter in turn; a filter that should not build the
// collation also runs on a new table of its own, which must not have built it afterwards.
void expectSameAsBuilt(const std::function<void(TClientDataSet&)>& load, const char* list, bool digitCodes) {
    for (const char* order : {"CPV_ID", "", "CPV_DESC", "CPV_DESC;CPV_ID", "CPV_ID;CPV_DESC"}) {
        TClientDataSet built("ClientDataSet1");
        built.setCollator(german());
        load(built);
        int builds = 0;
        TClientDataSet deferred("ClientDataSet1");
        deferred.setCollator(deferredGerman(&builds));
        load(deferred);
        const bool codeOrder = std::string_view(order) == "CPV_ID" || std::string_view(order).empty();
        for (const Case& c : cases()) {
            const std::string where =
                std::string(list) + ", order '" + order + "', filter [" + cp1252::toUtf8(c.filter) + "]";
            const Outcome expected = view(built, order, c.filter);
            const Outcome actual = view(deferred, order, c.filter);
            EXPECT_EQ(actual.rows, expected.rows) << where;
            EXPECT_EQ(actual.error, expected.error) << where;
            if (!digitCodes || !codeOrder || c.needsCollation)
                continue;
            TClientDataSet alone("ClientDataSet1");
            const std::shared_ptr<const DeferredCollator> collator = deferredGerman();
            alone.setCollator(collator);
            load(alone);
            EXPECT_EQ(view(alone, order, c.filter).rows, expected.rows) << where;
            EXPECT_FALSE(collator->built()) << where << ": built for nothing";
        }
        EXPECT_LE(builds, 1) << list << ", order '" << order << "'";
    }
}

// Digits in falling order: a collation that no locale has, for the case that the rules cannot vouch
// for the digits and only the built collation can tell.
class FallingDigits final : public Collator {
public:
    int compare(std::string_view left, std::string_view right) const override {
        const int order = sortKey(left).compare(sortKey(right));
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    std::string sortKey(std::string_view text) const override {
        std::string key(text);
        for (char& c : key) {
            if (c >= '0' && c <= '9')
                c = static_cast<char>('9' - (c - '0'));
        }
        return key;
    }
    bool ordersLikeBytes(std::string_view) const override { return false; }
};

} // namespace

TEST(DeferredCollator, OrdersAndFiltersTheCarriedListAsTheBuiltCollation) {
    expectSameAsBuilt([](TClientDataSet& table) { codelist::loadCarried(table); }, "carried list", true);
}

TEST(DeferredCollator, OrdersAndFiltersOddCodesAsTheBuiltCollation) {
    expectSameAsBuilt(
        [](TClientDataSet& table) {
            table.setCarriedBlock(asBytes(oddRowsBlock()));
            table.setIndexFieldNames("CPV_ID");
            table.open();
        },
        "odd rows", false);
}

// The search in code order, as cpvquery runs it, and the switch to description order that builds.
TEST(DeferredCollator, IsBuiltOnlyWhenAnOrderOrAComparisonNeedsIt) {
    int builds = 0;
    const std::shared_ptr<const DeferredCollator> collator = deferredGerman(&builds);
    TClientDataSet table("ClientDataSet1");
    table.setCollator(collator);
    codelist::loadCarried(table);
    applySearch(table, "03", cp1252::toUpper("obst"));
    EXPECT_GT(table.recordCount(), 0U);
    EXPECT_FALSE(collator->built());
    EXPECT_TRUE(collator->ordersLikeBytes("0123456789"));
    EXPECT_FALSE(collator->built());

    table.setIndexFieldNames("CPV_DESC");
    EXPECT_TRUE(collator->built());
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(collator->sortKey("Obst"), german()->sortKey("Obst"));
    EXPECT_EQ(collator->compare("co-op", "Coop"), german()->compare("co-op", "Coop"));
    EXPECT_EQ(builds, 1);
}

// A collation that the rules cannot vouch for is built to answer even the digits' question, and
// its order is the table's, for codes of digits alone too.
TEST(DeferredCollator, AsksTheBuiltCollationWhenTheRulesCannotTell) {
    const std::string digitCodes = codelist::blockFromTsv("CPV_ID\tCPV_DESC\n"
                                                          "02999999\ta\n"
                                                          "03000000\tb\n"
                                                          "030000000\tc\n"
                                                          "3\td\n"
                                                          "98000000\te\n");
    const auto open = [&](TClientDataSet& table, std::shared_ptr<const Collator> collator) {
        table.setCollator(std::move(collator));
        table.setCarriedBlock(asBytes(digitCodes));
        table.setIndexFieldNames("CPV_ID");
        table.open();
    };
    int probes = 0;
    const auto collator = std::make_shared<const DeferredCollator>(
        [] { return std::shared_ptr<const Collator>(std::make_shared<FallingDigits>()); },
        [&probes] {
            ++probes;
            return false;
        });
    TClientDataSet table("ClientDataSet1");
    open(table, collator);
    EXPECT_TRUE(collator->built());
    EXPECT_EQ(probes, 1);
    std::vector<std::string> codes;
    for (table.first(); !table.eof(); table.next())
        codes.push_back(table.fieldAsString("CPV_ID"));
    EXPECT_EQ(codes, (std::vector<std::string>{"98000000", "3", "03000000", "030000000", "02999999"}));

    // The digit constants of a search are compared by the built collation as well, as a table with
    // that collation from the start compares them.
    TClientDataSet plain("ClientDataSet1");
    open(plain, std::make_shared<FallingDigits>());
    for (const char* code : {"03", "0", "02999999", "3", "9"}) {
        const std::string filter = buildSearchFilter(code, "");
        EXPECT_EQ(view(table, "CPV_ID", filter).rows, view(plain, "CPV_ID", filter).rows) << code;
    }
    // "03" .. "039999999" in falling digits: "96" .. "960000000", which no code lies between.
    EXPECT_TRUE(view(table, "CPV_ID", buildSearchFilter("03", "")).rows.empty());
}

// What the rules promise the built collation keeps; German is promised without a look at ICU.
TEST(DeferredCollator, TheRulesPromiseDigitsInByteOrderOnlyWhereTheBuiltCollationHasThem) {
    for (const char* name :
         {"de_DE", "de", "en_US", "hu", "root", "fr_CA", "sv_SE", "ja", "de-u-kn-true", "Germanyyyyyyyy"}) {
        if (tailoringLeavesDigitsAlone(name)) {
            EXPECT_TRUE(makeUserLocaleCollator(name)->ordersLikeBytes("0123456789")) << name;
        }
    }
    EXPECT_TRUE(tailoringLeavesDigitsAlone("de_DE"));
    EXPECT_TRUE(german()->ordersLikeBytes("0123456789"));
    // Rules that name an option, an import or a digit are not vouched for.
    EXPECT_FALSE(tailoringLeavesDigitsAlone("fr_CA")); // [backwards 2]
}

TEST(DeferredCollator, TablesStartWithTheUsersDeferredCollation) {
    EXPECT_EQ(userTableCollator(), userTableCollator());
    EXPECT_NE(dynamic_cast<const DeferredCollator*>(userTableCollator().get()), nullptr);
}
