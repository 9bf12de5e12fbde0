#pragma once

#include "PageStore.h"

#include <QString>

namespace kodexa::report {

// Writes every stored page to a PDF file, one sheet of the page's size each, with vector text and
// the store's title as the document title. Throws ReportError when the file cannot be written.
void writePdf(const PageStore& pages, const QString& fileName);

} // namespace kodexa::report
