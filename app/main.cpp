// Kodexa: looking up the codes of the Common Procurement Vocabulary 2007.
#include "DlgSearch.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kodexa"));
    auto* window = new kodexa::TDlgSearchCPV;
    kodexa::DlgSearchCPV = window;
    window->show();
    const int status = QApplication::exec();
    delete window;
    kodexa::DlgSearchCPV = nullptr;
    return status;
}
