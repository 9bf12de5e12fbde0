// The range scan (a filter whose AND chain bounds a field tests only the rows between the bounds in
// the order by that field) stands in for testing every row. It may only ever save work: every
// expression must select the same rows, in the same order, with it and without it.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Collation.h"
#include "Cp1252.h"
#include "DatabaseError.h"
#include "FilterLanguage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace kodexa;

namespace {

const std::shared_ptr<const LocaleCollator>& german() {
    static const std::shared_ptr<const LocaleCollator> collator = makeLocaleCollator("de_DE");
    return collator;
}

struct Outcome {
    std::string error;               // the reader's message, empty when accepted
    std::vector<std::uint32_t> rows; // the view, as stored row numbers
    bool operator==(const Outcome&) const = default;
};

Outcome filterOutcome(TClientDataSet& table, const std::string& expression) {
    Outcome outcome;
    try {
        table.setFilter(expression);
        if (!table.filtered())
            table.setFiltered(true);
    } catch (const DatabaseError& error) {
        outcome.error = error.what();
    }
    for (std::size_t position = 0; position < table.recordCount(); ++position)
        outcome.rows.push_back(table.rowAt(position));
    return outcome;
}

// The same rows twice: one table scans ranges, the other tests every row.
class TablePair {
public:
    TablePair(std::string block, std::shared_ptr<const Collator> collator, std::string_view order)
        : block_(std::move(block)) {
        for (TClientDataSet* table : {&ranged_, &plain_}) {
            table->setCollator(collator);
            table->setCarriedBlock(asBytes(block_));
            table->setIndexFieldNames(order);
            table->open();
        }
        plain_.setRangeScan(false);
    }

    // Empty when both agree, else what each gave.
    std::string disagreement(const std::string& expression) {
        const Outcome ranged = filterOutcome(ranged_, expression);
        const Outcome plain = filterOutcome(plain_, expression);
        if (ranged == plain)
            return {};
        return "'" + cp1252::toUtf8(expression) + "': range scan " + describe(ranged) + ", every row " +
               describe(plain);
    }

private:
    std::string describe(const Outcome& outcome) const {
        if (!outcome.error.empty())
            return "rejected (" + outcome.error + ")";
        std::string text = std::to_string(outcome.rows.size()) + " rows [";
        for (std::size_t i = 0; i < outcome.rows.size() && i < 8; ++i)
            text += (i > 0 ? " " : "") + std::to_string(outcome.rows[i]);
        return text + (outcome.rows.size() > 8 ? " ...]" : "]");
    }

    std::string block_;
    TClientDataSet ranged_{"ClientDataSet1"};
    TClientDataSet plain_{"ClientDataSet1"};
};

std::string carriedBlockText() {
    const auto block = codelist::carriedBlock();
    return {reinterpret_cast<const char*>(block.data()), block.size()};
}

using Row = std::pair<std::string, std::optional<std::string>>; // UTF-8; no description: null

std::string blockOf(const std::vector<Row>& content) {
    RowStore rows(2);
    for (const auto& [code, description] : content) {
        const std::string codeText = cp1252::fromUtf8(code);
        const std::optional<std::string> descriptionText =
            description ? std::optional(cp1252::fromUtf8(*description)) : std::nullopt;
        const std::array<FieldValue, 2> values = {
            std::string_view(codeText), descriptionText ? FieldValue(*descriptionText) : std::nullopt};
        rows.appendRow(values);
    }
    return makeBlock(writePacket(codelist::schema(), rows));
}

// Values the carried list does not have: a code with a hyphen (the codes then no longer order like
// their bytes), codes of seven and nine digits and none at all, missing, empty and digit-only
// descriptions, the code page's edge letters.
const std::vector<Row>& oddRows() {
    static const std::vector<Row> rows = {
        {"", "leer"},
        {"03000000", "Landwirtschaftliche Erzeugnisse"},
        {"0300-0001", "Feldfrüchte"},
        {"0311000", "Obst, Brennstoff"},
        {"03110000", std::nullopt},
        {"031100000", "Äpfel"},
        {"03110001", ""},
        {"09000000", "12345"},
        {"3", "pH-Meter"},
        {"30000000", "A C und ABC d'or"},
        {"39999999", "Straße 50%_gültig\\"},
        {"44423100", "þorn ÿ œuvre"},
        {"98910000", "ZZZ"},
        {"98910001", std::nullopt},
    };
    return rows;
}

// Generates filter expressions from a fixed seed, the same on every run and machine: both fields,
// every comparison either way round, LIKE and NOT LIKE, UPPER, IS [NOT] NULL, AND, OR, NOT and
// parentheses, with constants at, just below and just above the table's values.
class ExpressionGenerator {
public:
    ExpressionGenerator(std::uint64_t seed, std::vector<std::string> codes,
                        std::vector<std::string> descriptions)
        : state_(seed), codes_(std::move(codes)), descriptions_(std::move(descriptions)) {}

    std::string condition(int depth) {
        if (depth <= 0 || below(5) < 2)
            return leaf();
        switch (below(7)) {
        case 0:
            return condition(depth - 1) + " AND " + condition(depth - 1);
        case 1:
            return "(" + condition(depth - 1) + ") AND (" + condition(depth - 1) + ")";
        case 2:
            return condition(depth - 1) + " OR " + condition(depth - 1);
        case 3:
            return "(" + condition(depth - 1) + " OR " + condition(depth - 1) + ")";
        case 4:
            return "NOT " + condition(depth - 1);
        case 5:
            return "NOT (" + condition(depth - 1) + ")";
        default: // a range on one field, as the search makes them
            return range();
        }
    }

private:
    std::uint64_t next() { // splitmix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    template <typename T, std::size_t N> const T& pick(const std::array<T, N>& items) {
        return items[below(N)];
    }
    const std::string& pick(const std::vector<std::string>& items) { return items[below(items.size())]; }

    static std::string quoted(std::string_view text) {
        std::string literal = "'";
        for (char c : text) {
            literal += c;
            if (c == '\'')
                literal += '\''; // doubled, it stands for one
        }
        return literal + "'";
    }

    // The text one step away in byte order, at the last character.
    static std::string stepped(std::string text, int step) {
        if (text.empty())
            return step < 0 ? text : "0";
        text.back() = static_cast<char>(static_cast<unsigned char>(text.back()) + step);
        return text;
    }

    std::string near(const std::string& value) {
        switch (below(10)) {
        case 0:
        case 1:
            return value; // at
        case 2:
            return stepped(value, -1); // just below
        case 3:
            return stepped(value, 1); // just above
        case 4:
            return value.substr(0, below(value.size() + 1)); // a prefix, down to the empty text
        case 5:
            return value + pick(std::array<const char*, 4>{"0", "9999999", " ", "a"}); // just after
        case 6:
            return cp1252::toUpper(value);
        case 7: // a hyphen weighs nothing in the collation
            return value.empty() ? "-" : value.substr(0, 1) + "-" + value.substr(1);
        default:
            return pick(std::array<std::string, 10>{"", " ", "0", "03", "1", "99999999", "999999999", "a",
                                                    "Z", cp1252::fromUtf8("ÿ")});
        }
    }

    std::string constantFor(bool code) {
        return near(code || below(8) == 0 ? pick(codes_) : pick(descriptions_));
    }

    std::string field(bool code) { return code ? "CPV_ID" : "CPV_DESC"; }

    std::string comparison() {
        static const std::array<const char*, 6> signs = {"=", "<>", "<", "<=", ">", ">="};
        const bool code = below(3) != 0;
        const std::string sign = pick(signs);
        const std::string constant = quoted(constantFor(code));
        switch (below(8)) {
        case 0:
            return constant + " " + sign + " " + field(code);
        case 1:
            return "UPPER(" + field(code) + ") " + sign + " " + constant;
        case 2:
            return field(code) + " " + sign + " " + field(below(2) == 0);
        default:
            return field(code) + " " + sign + " " + constant;
        }
    }

    std::string range() {
        const bool code = below(3) != 0;
        const std::string low = constantFor(code);
        const std::string high = below(2) == 0 ? low + "9999999" : constantFor(code);
        return field(code) + pick(std::array<const char*, 2>{" >= ", " > "}) + quoted(low) + " AND " +
               field(code) + pick(std::array<const char*, 3>{" < ", " <= ", " = "}) + quoted(high);
    }

    std::string pattern(bool code, bool upper) {
        std::string value = constantFor(code);
        if (upper)
            value = cp1252::toUpper(value);
        const std::size_t cut = below(value.size() + 1);
        switch (below(6)) {
        case 0:
            return value.substr(0, cut) + "%";
        case 1:
            return "%" + value.substr(cut) + "%";
        case 2:
            return "%" + value.substr(cut);
        case 3:
            if (!value.empty())
                value[cut % value.size()] = '_';
            return value;
        case 4:
            return value; // no wildcard: the whole text
        default:
            return pick(std::array<const char*, 4>{"", "%", "_%", "%\\%"});
        }
    }

    std::string leaf() {
        const bool code = below(3) == 0;
        switch (below(10)) {
        case 0:
        case 1: {
            const bool upper = below(2) == 0;
            const std::string value = upper ? "UPPER(" + field(code) + ")" : field(code);
            return value + (below(3) == 0 ? " NOT LIKE " : " LIKE ") + quoted(pattern(code, upper));
        }
        case 2:
            return (below(4) == 0 ? "UPPER(" + field(code) + ")" : field(code)) +
                   (below(2) == 0 ? " IS NULL" : " IS NOT NULL");
        case 3:
            return range();
        default:
            return comparison();
        }
    }

    std::uint64_t state_;
    std::vector<std::string> codes_;
    std::vector<std::string> descriptions_;
};

// A table's names and collator, enough to compile a filter and ask for its bounds.
class FieldNames final : public RowAccess {
public:
    std::optional<std::size_t> fieldIndex(std::string_view name) const override {
        return codelist::schema().columnIndex(name);
    }
    FieldValue value(std::size_t, std::size_t) const override { return std::nullopt; }
    std::string_view sortKey(std::size_t, std::size_t) const override { return {}; }
    std::string_view upperValue(std::size_t, std::size_t) const override { return {}; }
    const Collator& collator() const override { return *german(); }
};

struct BoundsCount {
    int expressions = 0;
    int bounded = 0;        // the range scan had bounds to go by
    int inclusiveUpper = 0; // among them one that takes rows equal to an upper bound
};

// Counts the expression and whether it gives the range scan bounds to go by.
bool countBounds(const std::string& expression, BoundsCount& count) {
    ++count.expressions;
    std::vector<FieldBound> bounds;
    try {
        bounds = FilterLanguage().compile(expression, FieldNames())->bounds();
    } catch (const DatabaseError&) {
        return false;
    }
    if (bounds.empty())
        return false;
    ++count.bounded;
    if (std::any_of(bounds.begin(), bounds.end(),
                    [](const FieldBound& bound) { return !bound.lower && bound.inclusive; }))
        ++count.inclusiveUpper;
    return true;
}

std::vector<std::string> fieldValues(const std::vector<Row>& rows, bool code) {
    std::vector<std::string> values;
    for (const auto& [codeText, description] : rows)
        values.push_back(cp1252::fromUtf8(code ? codeText : description.value_or("")));
    return values;
}

// Runs count generated expressions on the pair; returns the first disagreements (at most a few).
// An expression without bounds takes the same path on both tables, and is only counted.
std::vector<std::string> compareGenerated(TablePair& pair, ExpressionGenerator& generator, int count,
                                          BoundsCount& bounds) {
    std::vector<std::string> disagreements;
    for (int i = 0; i < count && disagreements.size() < 5; ++i) {
        const std::string expression = generator.condition(3);
        if (!countBounds(expression, bounds))
            continue;
        if (std::string why = pair.disagreement(expression); !why.empty())
            disagreements.push_back(std::move(why));
    }
    return disagreements;
}

using Texts = std::vector<std::string>;

} // namespace

// Rows equal to an inclusive upper bound belong to the range, as they do to a lower one.
TEST(RangeScan, RowsEqualToAnInclusiveBoundAreTested) {
    TClientDataSet table("ClientDataSet1");
    table.setCollator(german());
    codelist::loadCarried(table);
    const auto count = [&](const std::string& expression) {
        table.setFilter(expression);
        table.setFiltered(true);
        return table.recordCount();
    };
    EXPECT_EQ(count("CPV_ID = '03000000'"), 1U);
    EXPECT_EQ(count("NOT CPV_ID <> '03000000'"), 1U);
    EXPECT_EQ(count("CPV_ID <= '03110000'"), 3U);
    EXPECT_EQ(count("CPV_ID < '03110000'"), 2U);
    EXPECT_EQ(count("'03110000' >= CPV_ID"), 3U);
    EXPECT_EQ(count("CPV_ID >= '98910000'"), 1U); // the last row
    EXPECT_EQ(count("CPV_ID > '98910000'"), 0U);
    EXPECT_EQ(count("CPV_ID >= '03110000' AND CPV_ID <= '03111000'"), 2U);
    EXPECT_EQ(count("CPV_ID = '98910000'"), 1U);
    EXPECT_EQ(count("CPV_DESC = 'Saatgut'"), 1U);
    EXPECT_EQ(count("CPV_DESC <= 'Saatgut' AND CPV_DESC >= 'Saatgut'"), 1U);
}

// Only an AND chain bounds every row that passes: an OR, a NOT or <> gives no range to go by.
TEST(RangeScan, OnlyAndChainsGiveBounds) {
    const auto bounds = [](const std::string& expression) {
        return FilterLanguage().compile(expression, FieldNames())->bounds().size();
    };
    EXPECT_EQ(bounds("CPV_ID = '03000000'"), 2U);
    EXPECT_EQ(bounds("CPV_ID >= '03' AND CPV_ID < '04' AND CPV_DESC LIKE '%a%'"), 2U);
    EXPECT_EQ(bounds("CPV_DESC LIKE '%a%' AND (CPV_ID > '03' AND CPV_ID <= '04')"), 2U);
    EXPECT_EQ(bounds("CPV_ID = '03000000' OR CPV_ID = '09000000'"), 0U);
    EXPECT_EQ(bounds("CPV_ID >= '03' AND CPV_ID < '04' OR CPV_ID = '09000000'"), 0U);
    EXPECT_EQ(bounds("CPV_ID >= '03' AND (CPV_ID < '04' OR CPV_ID = '09000000')"), 1U);
    EXPECT_EQ(bounds("NOT CPV_ID = '03000000'"), 0U);
    EXPECT_EQ(bounds("NOT (CPV_ID >= '03' AND CPV_ID < '04')"), 0U);
    EXPECT_EQ(bounds("CPV_ID <> '03000000'"), 0U);
    EXPECT_EQ(bounds("UPPER(CPV_ID) = '03000000'"), 0U);
    EXPECT_EQ(bounds("CPV_ID IS NOT NULL"), 0U);
}

// A few thousand generated expressions over the carried list (in code and in description order),
// a table of odd values under two collations, a table of one row and an empty one.
TEST(RangeScan, EveryGeneratedExpressionSelectsWhatTestingEveryRowSelects) {
    const std::vector<std::string> listCodes = [] {
        TClientDataSet table("QueryCPVTree");
        codelist::loadCarried(table);
        std::vector<std::string> codes;
        for (std::size_t position = 0; position < table.recordCount(); position += 37)
            codes.push_back(std::string(*table.valueAt(position, 0)));
        return codes;
    }();
    const std::vector<std::string> listDescriptions = [] {
        TClientDataSet table("QueryCPVTree");
        codelist::loadCarried(table);
        std::vector<std::string> descriptions;
        for (std::size_t position = 0; position < table.recordCount(); position += 41)
            descriptions.push_back(std::string(*table.valueAt(position, 1)));
        return descriptions;
    }();
    const std::vector<Row> oneRow = {{"03000000", "Landwirtschaftliche Erzeugnisse"}};

    struct Case {
        const char* name;
        std::string block;
        std::shared_ptr<const Collator> collator;
        const char* order;
        std::vector<std::string> codes;
        std::vector<std::string> descriptions;
        int expressions;
    };
    const std::vector<Case> cases = {
        {"carried list in code order", carriedBlockText(), german(), "CPV_ID", listCodes, listDescriptions,
         300},
        {"carried list in description order", carriedBlockText(), german(), "CPV_DESC", listCodes,
         listDescriptions, 100},
        {"odd rows in code order", blockOf(oddRows()), german(), "CPV_ID", fieldValues(oddRows(), true),
         fieldValues(oddRows(), false), 1200},
        {"odd rows in description order", blockOf(oddRows()), german(), "CPV_DESC",
         fieldValues(oddRows(), true), fieldValues(oddRows(), false), 400},
        {"odd rows by bytes", blockOf(oddRows()), std::make_shared<BinaryCollator>(), "CPV_ID",
         fieldValues(oddRows(), true), fieldValues(oddRows(), false), 400},
        {"one row", blockOf(oneRow), german(), "CPV_ID", fieldValues(oddRows(), true),
         fieldValues(oddRows(), false), 300},
        {"no rows", blockOf({}), german(), "CPV_ID", listCodes, listDescriptions, 200},
    };
    BoundsCount bounds;
    std::uint64_t seed = 20070101;
    for (const Case& c : cases) {
        TablePair pair(c.block, c.collator, c.order);
        ExpressionGenerator generator(seed++, c.codes, c.descriptions);
        EXPECT_EQ(compareGenerated(pair, generator, c.expressions, bounds), Texts{}) << c.name;
    }
    // The expressions must give the range scan work to do, upper bounds that take equal rows among it.
    EXPECT_GT(bounds.bounded * 4, bounds.expressions) << bounds.bounded << " of " << bounds.expressions;
    EXPECT_GT(bounds.inclusiveUpper * 10, bounds.expressions)
        << bounds.inclusiveUpper << " of " << bounds.expressions;
}

// The search builds a range on the code; any code text, as typed, gives the same rows either way.
TEST(RangeScan, SearchRangesAgreeWithTestingEveryRow) {
    TablePair list(carriedBlockText(), german(), "CPV_ID");
    TablePair odd(blockOf(oddRows()), german(), "CPV_ID");
    for (const char* code : {"", "0", "03", "0311", "03110000", "031100000", "0-3", "03-", "0300-0001", "3",
                             "39", "98910000", "9", "99", " ", "a", "'", "0311000"}) {
        const std::string filter =
            " CPV_ID >= '" + std::string(code) + "' AND CPV_ID < '" + code + "9999999' ";
        EXPECT_EQ(list.disagreement(filter), "") << code;
        EXPECT_EQ(odd.disagreement(filter), "") << code;
    }
}
