#pragma once

#include <filesystem>

// A lock that every program writing one file takes while it reads the file and writes it again,
// so that no program's change is lost between another's read and write. It is held on a lock file
// of its own beside the file (".NAME.lock"), since the file itself is replaced by every write.
namespace kodexa::output {

class FileLock {
public:
    // Waits a moment for a program that holds the lock; one that holds it longer than a write takes
    // hangs, and the write goes on without it rather than hang too. Without a lock file (a folder
    // that takes none) there is nothing to take.
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return held_; }

private:
    int descriptor_ = -1;
    bool held_ = false;
};

} // namespace kodexa::output
