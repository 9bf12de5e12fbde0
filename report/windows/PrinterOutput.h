#pragma once

#include "PageStore.h"

#include <vector>

class QPrinter;

namespace kodexa::report {

struct PrintOptions {
    int copies = 1;
    bool collate = false;
    bool duplex = false;
};

// Prints the pages numbered in pageNumbers (from 1, in that order) on printer, full-page and drawn
// by the same routine as the preview, under the store's title as the document name. A printer that
// cannot make copies itself gets the pages once per copy, as jobs of one copy each. Throws
// ReportError when the printer refuses the job.
void printPages(QPrinter& printer, const PageStore& pages, const std::vector<int>& pageNumbers,
                const PrintOptions& options);

} // namespace kodexa::report
