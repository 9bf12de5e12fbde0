// kodexa_screenshots OUT_DIR: drives the real main window through start-up, a search, the status
// window, the about box and the tree page, and saves a PNG of the screen after each step, so the
// windows can be looked at without a person at the keyboard. Run it on an X server (tools/screenshot.sh
// starts one with xvfb-run); the splash's five-second wait runs on a clock that does not sleep.
#include "DBGrid.h"
#include "DlgAbout.h"
#include "DlgSearch.h"
#include "DlgStatus.h"
#include "KeywordSearchPage.h"
#include "MerklistePage.h"
#include "SystemClock.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

using namespace kodexa;

namespace {

// Every sleep advances the tick count at once; a hook sees the program during the wait.
class ShootingClock final : public SystemClock {
public:
    std::uint32_t tickCount() override { return ticks_; }
    void sleep(std::uint32_t milliseconds) override {
        if (onFirstSleep) {
            onFirstSleep();
            onFirstSleep = nullptr;
        }
        ticks_ += milliseconds;
    }
    std::function<void()> onFirstSleep;

private:
    std::uint32_t ticks_ = 0;
};

// Lets the window system map, expose and paint what was just shown. Real time, but short.
void settle(int milliseconds = 300) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class Shooter {
public:
    explicit Shooter(QDir out) : out_(std::move(out)) {}

    // The whole screen, or the part of it that `area` covers.
    void save(const QString& name, QRect area = {}) {
        QScreen* screen = QGuiApplication::primaryScreen();
        QPixmap shot = screen->grabWindow(0);
        if (!area.isNull())
            shot = shot.copy(area.intersected(screen->geometry()));
        const QString path = out_.filePath(name + QStringLiteral(".png"));
        if (!shot.save(path)) {
            std::fprintf(stderr, "kodexa_screenshots: cannot write %s\n", qPrintable(path));
            failed_ = true;
            return;
        }
        std::printf("%s\n", qPrintable(path));
    }

    bool failed() const { return failed_; }

private:
    QDir out_;
    bool failed_ = false;
};

// The window with a little of the screen around it.
QRect around(const QWidget& window) {
    return window.frameGeometry().adjusted(-8, -8, 8, 8);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kodexa"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: kodexa_screenshots OUT_DIR\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kodexa_screenshots: cannot create %s\n", argv[1]);
        return 1;
    }
    Shooter shooter(out);

    ShootingClock clock;
    clock.onFirstSleep = [&shooter] { shooter.save(QStringLiteral("01-splash")); };
    auto window = std::make_unique<TDlgSearchCPV>(&clock);
    DlgSearchCPV = window.get();
    window->show();
    settle();
    shooter.save(QStringLiteral("02-main-start"));
    shooter.save(QStringLiteral("02-main-start-window"), around(*window));

    // The status window as a search shows it, then the grid after the search.
    ShowStatus(DlgStatus, QStringLiteral("Suche passende CPV-Codes ..."));
    shooter.save(QStringLiteral("03-status-search"));
    DlgStatus->hide();
    window->Edit1->setText(QStringLiteral("03"));
    window->BitBtn1->click();
    settle();
    shooter.save(QStringLiteral("04-main-search-03"), around(*window));

    // A sort after the search: the status window keeps its place, its width follows the text.
    ShowStatus(DlgStatus, QStringLiteral("Datensätze werden sortiert ..."));
    shooter.save(QStringLiteral("05-status-sort"));
    DlgStatus->hide();
    window->RadioButton2->click();
    settle();
    shooter.save(QStringLiteral("06-main-sorted-by-description"), around(*window));

    // The about box from the menu, closed with its OK button once it has been taken.
    QTimer::singleShot(0, [&shooter] {
        settle();
        if (DlgAbout == nullptr) {
            std::fprintf(stderr, "kodexa_screenshots: the about box did not open\n");
            return;
        }
        shooter.save(QStringLiteral("07-about"), around(*DlgAbout));
        DlgAbout->BitBtn1->click();
    });
    window->MenuAboutClick();
    settle();

    // The tree page, opened by a double-click on the third of the codes beginning with 3451.
    window->RadioButton1->click();
    window->Edit1->setText(QStringLiteral("3451"));
    window->BitBtn1->click();
    window->DBGrid1->selectRow(2);
    window->DBGrid1DblClick();
    settle();
    shooter.save(QStringLiteral("08-tree-after-double-click"), around(*window));

    // Wider than designed: the grid and tree take the room, "D&rucken" follows the right edge.
    window->PageControl1->setCurrentWidget(window->TabSheet1);
    window->move(40, 40);
    window->resize(1000, 760);
    settle();
    shooter.save(QStringLiteral("09-main-resized"), around(*window));

    // The keyword search after a buyer's words, then two of its results on the Merkliste (kept in
    // a folder of its own, not the user's), added by the results' command that Insert calls.
    QTemporaryDir merklisteFolder;
    window->openMerkliste(merklisteFolder.filePath(QStringLiteral("merkliste.tsv")).toStdString());
    window->PageControl1->setCurrentWidget(window->KeywordPage);
    window->KeywordPage->WordsEdit->setFocus();
    window->KeywordPage->WordsEdit->setText(QStringLiteral("reinigung büro"));
    window->KeywordPage->search();
    settle();
    shooter.save(QStringLiteral("10-keyword-search"), around(*window));
    // A tender's whole title, as a buyer pastes it.
    window->KeywordPage->WordsEdit->setText(QStringLiteral(
        "Rahmenvertrag über die Unterhaltsreinigung und Glasreinigung der Grundschulen und Kitas der Stadt "
        "Rosenheim 2026–2029, Los 3 (VgV-2025-017)"));
    window->KeywordPage->search();
    settle();
    shooter.save(QStringLiteral("10-keyword-search-title"), around(*window));
    QTreeWidget* results = window->KeywordPage->Results;
    auto addFirstResult = [results] {
        results->setCurrentItem(results->topLevelItem(0));
        for (QAction* action : results->actions())
            if (action->shortcut() == QKeySequence(Qt::Key_Insert))
                action->trigger();
    };
    results->setFocus();
    addFirstResult();
    window->KeywordPage->WordsEdit->setText(QStringLiteral("baustelleneinrichtung"));
    window->KeywordPage->search();
    addFirstResult();
    window->KeywordPage->WordsEdit->setText(QStringLiteral("laptop"));
    window->KeywordPage->search();
    addFirstResult();
    window->PageControl1->setCurrentWidget(window->MerklisteTab);
    window->MerklisteTab->Entries->setFocus();
    settle();
    shooter.save(QStringLiteral("11-merkliste"), around(*window));
    // A notice's CPV section pasted with Ctrl+V, one digit mistyped and one code of no list.
    window->MerklisteTab->AskPastedText = [](const QString&) -> std::optional<QString> {
        return QStringLiteral("II.1.2) CPV-Code Hauptteil\n90911200-8 Gebäudereinigung\n"
                              "II.2.2) Weitere CPV-Codes\n90911300-9 Fensterreinigung\n"
                              "90919300-5 Reinigung von Schulen, 90910000-9; 90911200–8\n"
                              "45233140-9 Straßenarbeiten\n99999999 Sonstiges\n");
    };
    window->MerklisteTab->PasteButton->click();
    settle();
    shooter.save(QStringLiteral("12-merkliste-pasted"), around(*window));
    // Both new pages at the window's smallest size and at a large one, the focus in their lists.
    for (const auto& [name, size] : {std::pair{QStringLiteral("smallest"), window->minimumSizeHint()},
                                     std::pair{QStringLiteral("large"), QSize(1270, 980)}}) {
        window->move(0, 0);
        window->resize(size);
        // Without a window manager nothing activates the window; the lists show focus only in one.
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        window->PageControl1->setCurrentWidget(window->KeywordPage);
        window->KeywordPage->Results->setFocus();
        settle();
        shooter.save(QStringLiteral("13-keyword-search-") + name, around(*window));
        window->PageControl1->setCurrentWidget(window->MerklisteTab);
        window->MerklisteTab->Entries->setFocus();
        settle();
        shooter.save(QStringLiteral("13-merkliste-") + name, around(*window));
    }

    DlgSearchCPV = nullptr;
    window.reset();
    return shooter.failed() ? 1 : 0;
}
