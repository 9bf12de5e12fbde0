// cpvquery --page-file FILE [--pdf OUT]: a saved page file, opened as the preview's Open opens it,
// then counted or converted to PDF through the paint routine the preview and the printer use.
#include "CpvQuery.h"

#include "PageFiles.h"
#include "PdfOutput.h"
#include "ReportLayout.h"

#include <filesystem>
#include <ostream>

#include <sys/stat.h>

namespace kodexa::cpvquery {

namespace {

// Whether both names lead to one file: the PDF would replace the page file it is made from.
bool sameFile(const std::string& first, const std::string& second) {
    struct stat one {};
    struct stat other {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

} // namespace

int runPageFile(const std::string& file, const std::optional<std::string>& pdfFile, std::ostream& out,
                std::ostream& err) {
    report::PageStore pages;
    try {
        pages = report::openPageFile(std::filesystem::path(file));
    } catch (const report::ReportError& error) {
        err << "cpvquery: " << shownArgument(error.what()) << '\n';
        return 2;
    }
    if (!pdfFile) {
        out << "pages\t" << pages.pageCount() << '\n';
        return 0;
    }
    if (sameFile(file, *pdfFile)) {
        err << "cpvquery: the PDF \"" << shownArgument(*pdfFile) << "\" would replace the page file \""
            << shownArgument(file) << "\" it is made from\n";
        return 2;
    }
    GuiSession session;
    try {
        report::writePdf(pages, std::filesystem::path(*pdfFile));
    } catch (const report::ReportError& error) {
        err << "cpvquery: " << shownArgument(error.what()) << '\n';
        return 1;
    }
    return 0;
}

} // namespace kodexa::cpvquery
