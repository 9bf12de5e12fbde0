#include "CheckDigits.h"

#include <algorithm>
#include <stdexcept>

extern "C" {
extern const char kodexa_check_digits[];
extern const char kodexa_check_digits_end[];
}

namespace kodexa::codelist {
namespace {

constexpr std::string_view Header = "CPV_ID\tCHECK_DIGIT\n";
constexpr std::size_t RecordSize = 11; // eight digits, a tab, the check digit, a line end

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The records, each of one size, so that a code is found by a binary search over the table as it
// is carried; checked once, on first use.
std::string_view records() {
    static const std::string_view table = [] {
        std::string_view all = carriedCheckDigits();
        if (!all.starts_with(Header) || (all.size() - Header.size()) % RecordSize != 0)
            throw std::logic_error("the carried check digits are not one record a line");
        all.remove_prefix(Header.size());
        for (std::size_t at = 0; at < all.size(); at += RecordSize)
            if (all[at + 8] != '\t' || !isDigit(all[at + 9]) || all[at + 10] != '\n' ||
                (at > 0 && all.substr(at, 8) <= all.substr(at - RecordSize, 8)))
                throw std::logic_error("the carried check digits are not in code order");
        return all;
    }();
    return table;
}

} // namespace

std::string_view carriedCheckDigits() {
    return {kodexa_check_digits, static_cast<std::size_t>(kodexa_check_digits_end - kodexa_check_digits)};
}

std::optional<char> checkDigitOf(std::string_view code) {
    if (code.size() != 8 || !std::all_of(code.begin(), code.end(), isDigit))
        return std::nullopt;
    const std::string_view table = records();
    std::size_t low = 0, high = table.size() / RecordSize;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        const std::string_view key = table.substr(middle * RecordSize, 8);
        if (key == code)
            return table[middle * RecordSize + 9];
        if (key < code)
            low = middle + 1;
        else
            high = middle;
    }
    return std::nullopt;
}

std::string publishedCode(std::string_view code) {
    const std::optional<char> digit = checkDigitOf(code);
    return digit ? std::string(code) + '-' + *digit : std::string(code);
}

std::optional<std::string> wrongCheckDigit(std::string_view codeText) {
    while (!codeText.empty() && (codeText.front() == ' ' || codeText.front() == '\t'))
        codeText.remove_prefix(1);
    while (!codeText.empty() && (codeText.back() == ' ' || codeText.back() == '\t'))
        codeText.remove_suffix(1);
    if (codeText.size() != 10 || codeText[8] != '-' || !isDigit(codeText[9]))
        return std::nullopt;
    const std::optional<char> digit = checkDigitOf(codeText.substr(0, 8));
    if (!digit || *digit == codeText[9])
        return std::nullopt;
    return publishedCode(codeText.substr(0, 8));
}

} // namespace kodexa::codelist
