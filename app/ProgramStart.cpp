#include "ProgramStart.h"

#include "DlgSearch.h"
#include "MerklisteFile.h"
#include "RuntimeFolder.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace kodexa {

namespace {

constexpr const char* kProgramName = "Kodexa";

} // namespace

ApplicationArguments::ApplicationArguments(int argc, const char* const* argv)
    : name_(argc > 0 && argv != nullptr && argv[0] != nullptr ? argv[0] : kProgramName) {
    argv_[0] = name_.data();
    argv_[1] = nullptr;
}

bool installGermanToolkitTexts(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int runProgram(int argc, const char* const* argv, SystemClock* clock) {
    const RuntimeFolder runtimeFolder; // before the application, which looks there as it starts
    ApplicationArguments arguments(argc, argv);
    QApplication application(arguments.argc(), arguments.argv());
    QApplication::setApplicationName(QString::fromLatin1(kProgramName));
    QApplication::setDesktopFileName(QStringLiteral(KODEXA_APP_ID));
    installGermanToolkitTexts(application);
    const auto window = std::make_unique<TDlgSearchCPV>(clock);
    DlgSearchCPV = window.get();
    const QString merklisteProblem = window->openMerkliste(MerklisteFile::standardPath());
    window->show();
    // What happened to the Merkliste's file is told once, over the window.
    if (!merklisteProblem.isEmpty())
        QTimer::singleShot(0, window.get(), [&window, merklisteProblem] {
            QMessageBox::warning(window.get(), QCoreApplication::applicationName(), merklisteProblem);
        });
    const int status = QApplication::exec();
    DlgSearchCPV = nullptr;
    return status;
}

} // namespace kodexa
