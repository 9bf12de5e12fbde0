// Shows the program's small windows at once for a look at what a window manager makes of them:
// the status window, the splash (the about box without its button) and the about box as the menu
// opens it, modal. They stay up for the given number of seconds; tools/wm_check.sh runs this under
// several window managers and takes pictures of the screen.
//
//     window_gallery SECONDS
#include "DlgAbout.h"
#include "DlgStatus.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace kodexa;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc == 2 ? std::atoi(argv[1]) : 0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: %s SECONDS\n", argv[0]);
        return 2;
    }

    TDlgStatus status;
    ShowStatus(&status, QStringLiteral("Suche passende CPV-Codes ..."));
    status.move(10, 10);

    const auto splash = std::make_unique<TDlgAbout>(nullptr);
    splash->move(10, 130);
    ShowAsSplash(splash.get());

    // The modal box from the menu, moved out of the splash's way once it shows.
    QTimer::singleShot(300, [] {
        if (DlgAbout)
            DlgAbout->move(860, 640);
    });
    QTimer::singleShot(seconds * 1000, [] {
        if (DlgAbout)
            DlgAbout->accept();
    });
    ShowAboutModal(nullptr);
    return 0;
}
