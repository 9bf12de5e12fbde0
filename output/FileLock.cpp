#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kodexa::output {

FileLock::FileLock(const std::filesystem::path& file) {
    const std::filesystem::path name = file.parent_path() / ("." + file.filename().native() + ".lock");
    descriptor_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_NOCTTY | O_CLOEXEC, 0600);
    constexpr int Attempts = 200; // of 5 ms each
    for (int attempt = 0; descriptor_ >= 0 && attempt < Attempts && !held_; ++attempt) {
        held_ = ::flock(descriptor_, LOCK_EX | LOCK_NB) == 0;
        if (!held_)
            ::usleep(5000);
    }
}

FileLock::~FileLock() {
    if (descriptor_ >= 0)
        ::close(descriptor_); // which releases the lock
}

} // namespace kodexa::output
