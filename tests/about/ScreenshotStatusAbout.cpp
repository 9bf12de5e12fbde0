// Saves what the status window and the about box look like on the screen, for a person to look
// at: status-search.png, status-sort.png, about.png and splash.png in the given folder. Run it on
// a real display or under xvfb-run; it grabs the screen, so it also shows that the windows are
// painted while the program blocks.
//
//     xvfb-run -a -s "-screen 0 1280x1024x24" screenshot_status_about OUTDIR

#include "DlgAbout.h"
#include "DlgStatus.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <utility>

using namespace kodexa;

namespace {

// The window as the screen shows it now, frame included where there is one.
bool saveScreenshot(QWidget& window, const QDir& dir, const QString& name) {
    const QRect frame = window.frameGeometry();
    const QPixmap shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const QString path = dir.filePath(name);
    if (!shot.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Like the splash but without its wait.
class NoWaitClock final : public SystemClock {
public:
    explicit NoWaitClock(std::function<void()> onFirstSleep) : onFirstSleep_(std::move(onFirstSleep)) {}
    std::uint32_t tickCount() override { return now_; }
    void sleep(std::uint32_t) override {
        if (now_ == 0)
            onFirstSleep_();
        now_ = 5000;
    }

private:
    std::function<void()> onFirstSleep_;
    std::uint32_t now_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path()))
        return 1;
    bool ok = true;

    TDlgStatus status;
    ShowStatus(&status, QStringLiteral("Suche passende CPV-Codes ..."));
    ok &= saveScreenshot(status, dir, QStringLiteral("status-search.png"));
    status.hide();
    ShowStatus(&status, QStringLiteral("Datensätze werden sortiert ..."));
    ok &= saveScreenshot(status, dir, QStringLiteral("status-sort.png"));
    status.hide();

    // The modal box: grabbed from inside its event loop once the window system shows it.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!DlgAbout || !DlgAbout->windowHandle() || !DlgAbout->windowHandle()->isExposed())
            return;
        poll.stop();
        DlgAbout->repaint();
        ok &= saveScreenshot(*DlgAbout, dir, QStringLiteral("about.png"));
        DlgAbout->accept();
    });
    poll.start(10);
    ShowAboutModal(nullptr);

    NoWaitClock clock([&] { ok &= saveScreenshot(*DlgAbout, dir, QStringLiteral("splash.png")); });
    RunStartupSplash(nullptr, clock);
    return ok ? 0 : 1;
}
