#pragma once

#include <array>
#include <string>

class QCoreApplication;

namespace kodexa {

class SystemClock;

// What the application object is built from: the program's name and nothing else. The program
// reads no command line, and the toolkit's own options (-reverse, -style, -platform,
// -qwindowtitle ...) must not act either. The application keeps referring to these, so this
// object outlives it.
class ApplicationArguments {
public:
    ApplicationArguments(int argc, const char* const* argv);
    ApplicationArguments(const ApplicationArguments&) = delete;
    ApplicationArguments& operator=(const ApplicationArguments&) = delete;

    int& argc() { return argc_; }
    char** argv() { return argv_.data(); }

private:
    std::string name_;
    int argc_ = 1;
    std::array<char*, 2> argv_{};
};

// Gives the toolkit's own texts (the inputs' context menu, the standard buttons of message boxes,
// the file dialogs) in German, as all of the program's texts are, whatever the user's locale.
// Returns false when the toolkit's German translations are not installed; its texts stay English.
bool installGermanToolkitTexts(QCoreApplication& application);

// Why the toolkit's platform cannot start here, as one German sentence for standard error, or an
// empty text. Qt itself aborts when it cannot: a platform plugin that is not installed
// (QT_QPA_PLATFORM=bogus), xcb without a reachable X display, wayland without a compositor. This
// looks first: the plugin among the installed ones (by the keys it declares, without loading it),
// then, for xcb and wayland, a connection to the display through the client library the plugin
// uses. Of several platforms ("wayland;xcb"), one that can start is enough.
std::string platformProblem();

// The program: the application object, the main window with its start-up splash waiting on the
// clock (the system's when null), the event loop. Returns the loop's exit status.
int runProgram(int argc, const char* const* argv, SystemClock* clock = nullptr);

} // namespace kodexa
