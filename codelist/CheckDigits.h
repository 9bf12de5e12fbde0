#pragma once

#include <optional>
#include <string>
#include <string_view>

// The check digits of the carried list's codes, as the codes are published ("45233140-2"). No
// formula gives them all, so they are carried as data (data/cpv2007-check-digits.tsv).
namespace kodexa::codelist {

// The published check digit of a code of the list; none for a code it does not have.
std::optional<char> checkDigitOf(std::string_view code);

// The code as published, "45233140-2", for a code of the list; the code as it is otherwise.
std::string publishedCode(std::string_view code);

// For a code written with a check digit ("45233140-9", blanks around it allowed), the published
// form where the digit is not the published one; none where it is, or where the text is not a
// code of the list with a digit.
std::optional<std::string> wrongCheckDigit(std::string_view codeText);

// The carried table as it is: its header line, then "code<TAB>digit" a line, in code order.
std::string_view carriedCheckDigits();

} // namespace kodexa::codelist
