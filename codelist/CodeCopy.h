#pragma once

#include <string>
#include <string_view>

namespace kodexa::codelist {

// What the two copy commands of the grid and the tree put on the clipboard.
enum class CopyForm {
    Code,               // the eight digits alone, for pasting into a search or a form field
    CodeAndDescription, // "03111000-2 Saatgut", the code as published, as tender texts quote it
};

// The text a copy command copies for a record (Windows-1252 in and out).
std::string copiedText(CopyForm form, std::string_view code, std::string_view description);

} // namespace kodexa::codelist
