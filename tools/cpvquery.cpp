// cpvquery: the headless front end over the code list, for scripts, benchmarks and checks.
// With no arguments it loads the carried list as the main window's table and prints its view.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Cp1252.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

void printView(kodexa::TClientDataSet& table) {
    std::string out;
    for (table.first(); !table.eof(); table.next()) {
        out += kodexa::cp1252::toUtf8(table.fieldAsString(kodexa::codelist::CodeField));
        out += '\t';
        out += kodexa::cp1252::toUtf8(table.fieldAsString(kodexa::codelist::DescriptionField));
        out += '\n';
    }
    std::cout << out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        std::cerr << "usage: cpvquery\n";
        return 2;
    }
    (void)argv;
    try {
        kodexa::TClientDataSet table("ClientDataSet1");
        kodexa::codelist::loadCarried(table);
        printView(table);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
