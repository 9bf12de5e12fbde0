#pragma once

#include "PageStore.h"

#include <QString>

#include <filesystem>

namespace kodexa::report {

// Writes every stored page to a PDF file, one sheet of the page's size each, with vector text and
// the store's title as the document title, through OutputFile. Throws ReportError when the file
// cannot be written.
void writePdf(const PageStore& pages, const QString& fileName);
// The same for a name in the file system's bytes (from the command line).
void writePdf(const PageStore& pages, const std::filesystem::path& fileName);

} // namespace kodexa::report
