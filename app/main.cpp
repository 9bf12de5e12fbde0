// Kodexa: looking up the codes of the Common Procurement Vocabulary 2007.
#include "DlgSearch.h"
#include "RuntimeFolder.h"

#include <QApplication>

#include <exception>
#include <iostream>
#include <memory>

namespace {

int run(int argc, char** argv) {
    const kodexa::RuntimeFolder runtimeFolder; // before the application, which looks there as it starts
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kodexa"));
    QApplication::setDesktopFileName(QStringLiteral(KODEXA_APP_ID));
    const auto window = std::make_unique<kodexa::TDlgSearchCPV>();
    kodexa::DlgSearchCPV = window.get();
    window->show();
    const int status = QApplication::exec();
    kodexa::DlgSearchCPV = nullptr;
    return status;
}

} // namespace

// The handlers report their own errors and the program runs on. What reaches this point happened
// outside them, while the program started or ended, when there may be no window to show it in:
// it goes to standard error, and the program ends with a failure status instead of aborting.
int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "Kodexa: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "Kodexa: the program stopped on an unknown error\n";
    }
    return 1;
}
