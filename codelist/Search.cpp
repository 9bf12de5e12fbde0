#include "Search.h"

#include "ClientDataSet.h"
#include "Cp1252.h"

#include <algorithm>

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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A code as published in notices, "03000000-1": the eight digits, a hyphen and the check digit,
// perhaps with blanks around it as a copy from a PDF brings them. The reader means the code, so the
// search is the one for the eight digits; the check digit is not verified, since a wrong one would
// only hide a code the reader has in front of them. Any other text is searched as typed.
std::string_view searchedCodeText(std::string_view codeText) {
    constexpr std::size_t DigitCount = 8;
    std::string_view text = codeText;
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.size() != DigitCount + 2 || text[DigitCount] != '-' || !isDigit(text.back()))
        return codeText;
    const std::string_view digits = text.substr(0, DigitCount);
    if (!std::all_of(digits.begin(), digits.end(), isDigit))
        return codeText;
    return digits;
}

} // namespace

std::string buildSearchFilter(std::string_view codeText, std::string_view descriptionText) {
    codeText = searchedCodeText(codeText);
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
    codeText = searchedCodeText(codeText);
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
