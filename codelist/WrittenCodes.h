#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Codes as people write them in running text: in a notice ("CPV: 45233140-2 Straßenarbeiten"), a
// portal's field, a spreadsheet's column or a sentence. Knows nothing of which codes the list has.
namespace kodexa::codelist {

struct WrittenCode {
    std::string code;               // the eight digits
    std::optional<char> checkDigit; // where the code was written with one
    std::string written;            // as found, the dash made a hyphen: "45233140-9"
};

// The codes written in a UTF-8 text, in order: eight digits standing apart from other digits,
// followed or not by a hyphen or dash (-, ‐, ‑, ‒, –, −) and one check digit. A longer or shorter
// run of digits (a year, a file number, a price) is none.
std::vector<WrittenCode> writtenCodes(std::string_view utf8);

// For a UTF-8 text that may hold codes anywhere, the published form of the first code of the list
// written with a check digit that is not its published one.
std::optional<std::string> firstWrongCheckDigit(std::string_view utf8);

} // namespace kodexa::codelist
