#include "PageSelection.h"

#include <algorithm>
#include <climits>

namespace kodexa::report {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A run of digits, saturating at INT_MAX so that a long run cannot overflow.
class SelectionReader {
public:
    explicit SelectionReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return position_ == text_.size(); }
    bool take(char c) {
        if (atEnd() || text_[position_] != c)
            return false;
        ++position_;
        return true;
    }
    std::optional<int> number() {
        if (atEnd() || !isDigit(text_[position_]))
            return std::nullopt;
        long long value = 0;
        while (!atEnd() && isDigit(text_[position_])) {
            value = std::min<long long>(value * 10 + (text_[position_] - '0'), INT_MAX);
            ++position_;
        }
        return static_cast<int>(value);
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

struct PageSpan {
    int first;
    int last;
};

// item -> number [ "-" [ number ] ] | "-" number
std::optional<PageSpan> readItem(SelectionReader& in, int pageCount) {
    if (in.take('-')) {
        const std::optional<int> last = in.number();
        if (!last)
            return std::nullopt;
        return PageSpan{1, *last};
    }
    const std::optional<int> first = in.number();
    if (!first)
        return std::nullopt;
    if (!in.take('-'))
        return PageSpan{*first, *first};
    const std::optional<int> last = in.number();
    if (!last)
        return PageSpan{*first, std::max(*first, pageCount)};
    if (*last < *first)
        return std::nullopt;
    return PageSpan{*first, *last};
}

std::vector<int> pagesMarked(const std::vector<bool>& marked) {
    std::vector<int> pages;
    for (std::size_t page = 1; page < marked.size(); ++page) {
        if (marked[page])
            pages.push_back(static_cast<int>(page));
    }
    return pages;
}

void mark(std::vector<bool>& marked, PageSpan span, int pageCount) {
    const int first = std::max(span.first, 1);
    const int last = std::min(span.last, pageCount);
    for (int page = first; page <= last; ++page)
        marked[static_cast<std::size_t>(page)] = true;
}

} // namespace

// selection -> [ item ] { "," [ item ] }
std::optional<std::vector<int>> parsePageSelection(std::string_view text, int pageCount) {
    pageCount = std::max(pageCount, 0);
    std::vector<bool> marked(static_cast<std::size_t>(pageCount) + 1, false);
    SelectionReader in(text);
    do {
        if (in.atEnd() || in.take(','))
            continue; // an empty item
        const std::optional<PageSpan> span = readItem(in, pageCount);
        if (!span || !(in.atEnd() || in.take(',')))
            return std::nullopt;
        mark(marked, *span, pageCount);
    } while (!in.atEnd());
    return pagesMarked(marked);
}

std::optional<std::vector<int>> pagesInRange(const PrintRange& range, int pageCount) {
    pageCount = std::max(pageCount, 0);
    switch (range.kind) {
    case PrintRangeKind::Selection:
        return parsePageSelection(range.selection, pageCount);
    case PrintRangeKind::Pages: {
        std::vector<bool> marked(static_cast<std::size_t>(pageCount) + 1, false);
        mark(marked, PageSpan{range.firstPage, range.lastPage}, pageCount);
        return pagesMarked(marked);
    }
    case PrintRangeKind::All:
        break;
    }
    std::vector<int> pages(static_cast<std::size_t>(pageCount));
    for (int page = 1; page <= pageCount; ++page)
        pages[static_cast<std::size_t>(page - 1)] = page;
    return pages;
}

} // namespace kodexa::report
