#pragma once

#include "PageStore.h"

#include <cstddef>
#include <vector>

namespace kodexa::report {

// One printed row of a page: the indices (into the page's items) of its texts, left to right.
struct ReadingRow {
    std::vector<std::size_t> items;

    friend bool operator==(const ReadingRow&, const ReadingRow&) = default;
};

// The texts of a stored page in the order a reader takes them: rows from top to bottom, each
// row's texts from left to right. Texts share a row when their baselines lie closer than half the
// smaller of their font sizes, so cells of different fonts on one line stay together while the
// next line, at least a line's height further down, starts a row of its own. Texts that print
// nothing (empty or blank) and texts with a font the store does not hold are left out, as the
// painter leaves them out; lines are no text.
std::vector<ReadingRow> readingRows(const PageStore& store, std::size_t pageIndex);

} // namespace kodexa::report
