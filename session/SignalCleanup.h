#pragma once

#include <string>

#include <signal.h>

namespace kodexa {

// What a program leaves on disk while it works (an unfinished output file, its runtime folder) and
// must not leave behind when Ctrl+C, kill or a closed terminal ends it. The paths are kept in
// static storage, so that the handler removes them without allocating, then lets the signal end the
// program as it would have (the shell sees "killed by SIGINT").
namespace signalcleanup {

enum class Kind { File, Folder }; // a folder is removed only when it is empty

// A slot for a path, or -1 when the path is too long or every slot is taken (it is then only not
// removed on a signal). Thread-safe towards the handler, not towards other threads.
int add(const std::string& path, Kind kind);
void remove(int slot);

// Removes every path held; async-signal-safe (the program's last words on a fatal error use it too).
void removeAll();

// Holds INT, TERM and HUP back while it lives, so that a path made on disk and its slot come
// together: a signal between the two would leave the path behind. A held signal arrives at its end.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

// Installs the handler for SIGINT, SIGTERM and SIGHUP; a signal that is ignored (a background job
// of a shell without job control ignores SIGINT) stays ignored.
void installHandlers();

} // namespace signalcleanup
} // namespace kodexa
