#pragma once

#include <string>

namespace kodexa {

// The user's runtime folder (XDG_RUNTIME_DIR) for the time the program runs.
//
// Qt asks for it while it starts (it looks there for a Wayland socket) and, when the variable is
// not set, as under cron, ssh or CI, warns on standard error and falls back to a folder of a
// guessable name in /tmp. Where the variable is unset, empty or not an absolute path (which the
// XDG base directory rules say to ignore), this makes a folder of the program's own instead: a new
// one under the temporary folder (TMPDIR where it names a folder and one can be made there, else /tmp),
// made by mkdtemp with mode 0700, so nobody else can have made or
// entered it, and removed again at the end. A variable that names a folder is left alone: if that
// folder has the wrong owner or mode, Qt's warning points at a real problem of the session.
//
// Make one before the application object, in the same scope or an outer one.
class RuntimeFolder {
public:
    RuntimeFolder();
    ~RuntimeFolder(); // removes the folder it made, with whatever was put into it
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

    // The folder this made; empty when the environment's serves (or none could be made, and Qt
    // falls back as it would have).
    const std::string& madeFolder() const { return made_; }

private:
    std::string made_;
    int cleanupSlot_ = -1; // removed on SIGINT, SIGTERM and SIGHUP too, when it is empty
};

} // namespace kodexa
