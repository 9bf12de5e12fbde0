// Kodexa: looking up the codes of the Common Procurement Vocabulary 2007.
#include "ProgramStart.h"
#include "StandardDescriptors.h"

#include <exception>
#include <iostream>
#include <string>

// The handlers report their own errors and the program runs on. What reaches this point happened
// outside them, while the program started or ended, when there may be no window to show it in:
// it goes to standard error, and the program ends with a failure status instead of aborting.
int main(int argc, char** argv) {
    // Before the toolkit opens anything: a closed standard output must not become its file.
    kodexa::reserveStandardDescriptors();
    try {
        // Where the toolkit cannot show a window it aborts; say why instead, once.
        if (const std::string problem = kodexa::platformProblem(); !problem.empty()) {
            std::cerr << "Kodexa: " << problem << '\n';
            return 1;
        }
        return kodexa::runProgram(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "Kodexa: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "Kodexa: the program stopped on an unknown error\n";
    }
    return 1;
}
