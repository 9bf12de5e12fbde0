#include "Search.h"

#include "ClientDataSet.h"
#include "Cp1252.h"

namespace kodexa {
namespace {

constexpr std::string_view CodeConditionOpener = " CPV_ID >= ";
constexpr std::string_view UpperBoundOpener = " AND CPV_ID < ";
constexpr std::string_view UpperBoundSuffix = "9999999";
constexpr std::string_view ConditionCloser = " ";
constexpr std::string_view Joiner = " AND ";
constexpr std::string_view DescriptionConditionOpener = " UPPER(CPV_DESC) LIKE ";
constexpr std::string_view Wildcard = "%";
constexpr char Quote = '\'';

std::string quoted(std::string_view text, std::string_view before = {}, std::string_view after = {}) {
    std::string literal(1, Quote);
    literal.append(before).append(text).append(after) += Quote;
    return literal;
}

std::string codeCondition(std::string_view codeText) {
    return std::string(CodeConditionOpener) + quoted(codeText) + std::string(UpperBoundOpener) +
           quoted(codeText, {}, UpperBoundSuffix) + std::string(ConditionCloser);
}

std::string descriptionCondition(std::string_view descriptionText) {
    return std::string(DescriptionConditionOpener) +
           quoted(cp1252::toUpper(descriptionText), Wildcard, Wildcard) + std::string(ConditionCloser);
}

} // namespace

std::string buildSearchFilter(std::string_view codeText, std::string_view descriptionText) {
    std::string filter;
    if (!codeText.empty()) {
        filter = codeCondition(codeText);
        if (!descriptionText.empty())
            filter += Joiner;
    }
    if (!descriptionText.empty())
        filter += descriptionCondition(descriptionText);
    return filter;
}

void applySearch(TClientDataSet& table, std::string_view codeText, std::string_view descriptionText) {
    table.disableControls();
    try {
        table.setFiltered(false);
        table.setFilter("");
        if (!codeText.empty()) {
            table.setFilter(codeCondition(codeText));
            if (!descriptionText.empty())
                table.setFilter(table.filter() + std::string(Joiner));
        }
        if (!descriptionText.empty())
            table.setFilter(table.filter() + descriptionCondition(descriptionText));
        table.setFiltered(!table.filter().empty());
    } catch (...) {
        table.enableControls();
        throw;
    }
    table.enableControls();
}

} // namespace kodexa
