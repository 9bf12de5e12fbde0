#include "WrittenCodes.h"

#include "CheckDigits.h"

namespace kodexa::codelist {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the dash that text begins with: the hyphen-minus or, in UTF-8, the hyphens, the
// figure dash, the en dash and the minus sign that word processors and portals put in its place.
std::size_t dashLength(std::string_view text) {
    if (text.starts_with('-'))
        return 1;
    for (const std::string_view dash : {"\u2010", "\u2011", "\u2012", "\u2013", "\u2212"})
        if (text.starts_with(dash))
            return dash.size();
    return 0;
}

} // namespace

std::vector<WrittenCode> writtenCodes(std::string_view utf8) {
    std::vector<WrittenCode> codes;
    std::size_t at = 0;
    while (at < utf8.size()) {
        if (!isDigit(utf8[at])) {
            ++at;
            continue;
        }
        const std::size_t begin = at;
        while (at < utf8.size() && isDigit(utf8[at]))
            ++at;
        if (at - begin != 8)
            continue;
        WrittenCode found{std::string(utf8.substr(begin, 8)), std::nullopt,
                          std::string(utf8.substr(begin, 8))};
        // A check digit is a single digit after the dash; "45233140-45233150" is two codes.
        if (const std::size_t dash = dashLength(utf8.substr(at)); dash > 0) {
            const std::size_t digit = at + dash;
            if (digit < utf8.size() && isDigit(utf8[digit]) &&
                (digit + 1 == utf8.size() || !isDigit(utf8[digit + 1]))) {
                found.checkDigit = utf8[digit];
                found.written += '-';
                found.written += utf8[digit];
                at = digit + 1;
            }
        }
        codes.push_back(std::move(found));
    }
    return codes;
}

std::optional<std::string> firstWrongCheckDigit(std::string_view utf8) {
    for (const WrittenCode& written : writtenCodes(utf8)) {
        if (!written.checkDigit)
            continue;
        const std::optional<char> published = checkDigitOf(written.code);
        if (published && *published != *written.checkDigit)
            return publishedCode(written.code);
    }
    return std::nullopt;
}

} // namespace kodexa::codelist
