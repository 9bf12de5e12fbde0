// Feeds arbitrary text to the filter reader over a small table: as a filter expression, as the two
// inputs of the search, and to two oracles that the reader's parts must agree with: LIKE against a
// plain dynamic-programming matcher, and the collation's keys against ICU's own comparison. Every
// filter and search also runs on a second table that tests every row instead of scanning the range
// between a field's bounds: the two must keep the same rows in the same order.
//
// Input: the first byte picks the use, the rest is the text; where two texts are needed, a line
// break separates them.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Collation.h"
#include "DatabaseError.h"
#include "LikePattern.h"
#include "Search.h"

#include <array>
#include <cstdlib>
#include <vector>

namespace {

using namespace kodexa;

constexpr std::size_t RowCount = 8;

std::string smallBlock() {
    RowStore rows(2);
    // A code with a hyphen: the codes do not order like their bytes, and bounds go by the keys.
    const std::array<std::pair<const char*, const char*>, RowCount> content = {{
        {"03000000", "Landwirtschaftliche Erzeugnisse"},
        {"0300-0001", "\xFE"
                      "orn \xFF"},
        {"03110000", "Feldfr\xFC"
                     "chte"},
        {"03221000", "\xC4pfel"},
        {"30000000", nullptr},
        {"38416000", "pH-Meter"},
        {"44423100", "A C und ABC d'or"},
        {"98910000", "Stra\xDF"
                     "e 50%_\\"},
    }};
    for (const auto& [code, description] : content) {
        const std::array<FieldValue, 2> values = {std::string_view(code),
                                                  description ? FieldValue(description) : std::nullopt};
        rows.appendRow(values);
    }
    return makeBlock(writePacket(codelist::schema(), rows));
}

const LocaleCollator& german() {
    static const std::shared_ptr<const LocaleCollator> collator = makeLocaleCollator("de_DE");
    return *collator;
}

std::pair<std::string_view, std::string_view> splitAtLineBreak(std::string_view text) {
    const std::size_t lineBreak = text.find('\n');
    if (lineBreak == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, lineBreak), text.substr(lineBreak + 1)};
}

void walkView(TClientDataSet& table) {
    std::size_t rows = 0;
    for (table.first(); !table.eof(); table.next())
        ++rows;
    if (rows != table.recordCount() || rows > RowCount)
        std::abort();
}

std::vector<std::uint32_t> viewRows(const TClientDataSet& table) {
    std::vector<std::uint32_t> rows;
    for (std::size_t position = 0; position < table.recordCount(); ++position)
        rows.push_back(table.rowAt(position));
    return rows;
}

// The range scan is only ever a shortcut: it must keep what testing every row keeps.
void compareWithEveryRow(const TClientDataSet& table, const TClientDataSet& everyRow) {
    if (table.filtered() != everyRow.filtered() || viewRows(table) != viewRows(everyRow))
        std::abort();
}

void filterBy(TClientDataSet& table, std::string_view expression) {
    table.setFiltered(false);
    table.setFilter(expression);
    try {
        table.setFiltered(true);
    } catch (const DatabaseError&) {
        if (table.filtered() || table.recordCount() != RowCount)
            std::abort(); // a rejected expression leaves every row in view
    }
    walkView(table);
}

void search(TClientDataSet& table, std::string_view input) {
    const auto [code, description] = splitAtLineBreak(input);
    try {
        applySearch(table, code, description);
    } catch (const DatabaseError&) {
        if (table.filtered() || table.recordCount() != RowCount)
            std::abort();
    }
    if (table.filter() != buildSearchFilter(code, description) || table.controlsDisabled())
        std::abort();
    walkView(table);
}

// "%" any run, "_" one character, a backslash escapes (a final one stands for itself).
bool referenceLike(std::string_view pattern, std::string_view text) {
    struct Item {
        char c;
        bool any;
        bool run;
    };
    std::vector<Item> items;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\' && i + 1 < pattern.size())
            items.push_back({pattern[++i], false, false});
        else
            items.push_back({pattern[i], pattern[i] == '_', pattern[i] == '%'});
    }
    // matched[j]: the first i characters of text match the first j items.
    std::vector<char> matched(items.size() + 1, 0);
    matched[0] = 1;
    for (std::size_t j = 0; j < items.size() && items[j].run; ++j)
        matched[j + 1] = 1;
    for (char c : text) {
        std::vector<char> next(items.size() + 1, 0);
        for (std::size_t j = 0; j < items.size(); ++j) {
            if (items[j].run)
                next[j + 1] = next[j] || matched[j + 1] || matched[j];
            else
                next[j + 1] = matched[j] && (items[j].any || items[j].c == c);
        }
        matched = std::move(next);
    }
    return matched[items.size()] != 0;
}

void compareLike(std::string_view input) {
    const auto [pattern, text] = splitAtLineBreak(input);
    if (pattern.size() > 64 || text.size() > 512)
        return;
    if (filter::LikePattern(pattern).matches(text) != referenceLike(pattern, text))
        std::abort();
}

int sign(int order) {
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

void compareCollation(std::string_view input) {
    const auto [left, right] = splitAtLineBreak(input);
    const int byKeys = sign(german().sortKey(left).compare(german().sortKey(right)));
    if (byKeys != german().compare(left, right) || byKeys != german().icuCompare(left, right))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static TClientDataSet table("ClientDataSet1");
    static TClientDataSet everyRow("ClientDataSet1");
    static const std::string block = smallBlock();
    if (!table.active()) {
        everyRow.setRangeScan(false);
        for (TClientDataSet* each : {&table, &everyRow}) {
            each->setCollator(makeLocaleCollator("de_DE"));
            each->setCarriedBlock(asBytes(block));
            each->setIndexFieldNames("CPV_ID");
            each->open();
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        filterBy(table, text);
        filterBy(everyRow, text);
        compareWithEveryRow(table, everyRow);
        break;
    case 1:
        search(table, text);
        search(everyRow, text);
        compareWithEveryRow(table, everyRow);
        break;
    case 2:
        compareLike(text);
        break;
    default:
        compareCollation(text);
        break;
    }
    return 0;
}
