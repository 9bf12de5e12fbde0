#pragma once

#include "PageStore.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

// The files that a preview saves and opens: page files of its own format and the formats of the
// engine's file renderers.
namespace kodexa::report {

// A file type as the file dialogs list it, in the engine's "description|pattern" notation.
struct FileFormat {
    QString filter;    // e.g. "Rave Snapshot Files (*.ndr)|*.ndr"
    QString extension; // without the dot
    void (*write)(const PageStore& pages, const QString& fileName);
};

// Page files: what Save As writes first and Open reads.
const FileFormat& pageFileFormat();
// The filter of the open dialog: page files, then all files.
QString openFileFilter();
// The active file renderers, whose entries follow the page file's in the save dialog.
const std::vector<FileFormat>& fileRenderers();
// Page files, then every file renderer, in the order of the save dialog's filter.
std::vector<const FileFormat*> saveFormats();

// Writes the store unchanged through OutputFile: an existing file is replaced only once the new
// one is complete, a device or FIFO is written in place. Throws ReportError naming the file.
void savePageFile(const PageStore& pages, const QString& fileName);
// Throws ReportError naming the file and saying what is wrong with it: not a regular file (checked
// before it is opened, so a named pipe or a device cannot stall the open), larger than any page
// file within the limits (PageFile.h), unreadable or not a page file.
PageStore openPageFile(const QString& fileName);
// The same for a name as the file system's bytes, which reach it unchanged.
PageStore openPageFile(const std::filesystem::path& fileName);

// The engine's "description|pattern|description|pattern" filter as the toolkit's name filters:
// the pattern is added to a description that does not show it, and "*.*" means every file.
QStringList toNameFilters(const QString& filter);

} // namespace kodexa::report
