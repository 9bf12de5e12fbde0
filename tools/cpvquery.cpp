// cpvquery: the headless front end over the code list, for scripts, benchmarks and checks.
//
//   cpvquery [--sort code|desc] [--code TEXT] [--desc TEXT] [--print-filter]
//            [--tree | --locate | --report-summary | --pdf FILE]
//   cpvquery [--sort code|desc] --filter EXPR [--print-filter]
//            [--locate | --report-summary | --pdf FILE]
//   cpvquery --page-file FILE [--pdf FILE]
//   cpvquery --help | --version
//
// It loads the carried list as the main window's table, sets the order, runs the search exactly as
// the "&Suchen" button does (or sets the --filter expression as the table's filter) and prints the
// resulting view, one row a line (code TAB description, UTF-8). A rejected search prints the error
// report's text on standard error, then the view that remains (with --pdf: no file), and exits with
// status 2; a rejected filter expression prints its text alone. Status 2 too for a wrong call (with a hint at --help)
// and a --code, --desc or --filter value that is not UTF-8 or has a character that the code list
// cannot hold. Output that cannot be written fails the run (status 1).
//
// This program links no toolkit: a search starts as fast as a small database shell does. The
// report modes (--report-summary, --pdf, --page-file) are handed, arguments and all, to the report
// program cpvquery-report (CpvQueryReportHelper.cpp), which links Qt and the report engine.
#include "CpvQuery.h"

int main(int argc, char** argv) {
    return kodexa::cpvquery::runProgram(argc, argv);
}
