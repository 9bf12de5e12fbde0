// cpvquery-report: cpvquery with its report modes, the part that needs Qt and the report engine.
// cpvquery hands a call with --report-summary, --pdf or --page-file over to it unchanged; it takes
// every call that cpvquery takes and answers it the same way.
#include "CpvQuery.h"

#include "ClientDataSet.h"

#include <iostream>

namespace kodexa::cpvquery {

int runReportModes(const Options& options, char**) {
    if (options.pageFile)
        return runPageFile(*options.pageFile, options.pdfFile, std::cout, std::cerr);
    TClientDataSet table("ClientDataSet1");
    const int status = searchTable(table, options, std::cout, std::cerr);
    // A rejected search leaves the PDF that is there as it is, as a rejected filter does; the
    // summary shows the view that remains, as the list does.
    if (status != Success && options.pdfFile)
        return status;
    const int modeStatus = options.reportSummary ? printReportSummary(table, std::cout)
                                                 : writePdf(table, *options.pdfFile, std::cerr);
    return status != Success ? status : modeStatus;
}

} // namespace kodexa::cpvquery

int main(int argc, char** argv) {
    return kodexa::cpvquery::runProgram(argc, argv);
}
