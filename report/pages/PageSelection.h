#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Which stored pages a print covers. Pages are numbered from 1. It knows no toolkit.
namespace kodexa::report {

enum class PrintRangeKind { All, Selection, Pages };

struct PrintRange {
    PrintRangeKind kind = PrintRangeKind::All;
    std::string selection; // with Selection, e.g. "1-3,5"
    int firstPage = 1;     // with Pages
    int lastPage = 9999;
};

// The pages that a selection text names among pageCount pages, ascending and each once; pages
// beyond the report are left out. std::nullopt when the text does not follow the grammar or a
// range ends before it starts.
//   selection -> [ item ] { "," [ item ] }
//   item      -> number [ "-" [ number ] ] | "-" number
// "a-" runs to the last page, "-b" from the first.
std::optional<std::vector<int>> parsePageSelection(std::string_view text, int pageCount);

// The pages that a range prints among pageCount pages, ascending; empty when it covers none of
// them; std::nullopt for a selection that cannot be read. All is every page.
std::optional<std::vector<int>> pagesInRange(const PrintRange& range, int pageCount);

} // namespace kodexa::report
