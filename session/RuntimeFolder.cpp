#include "RuntimeFolder.h"

#include "SignalCleanup.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include <sys/stat.h>

namespace kodexa {

namespace {

constexpr const char* RuntimeDirVariable = "XDG_RUNTIME_DIR";

constexpr const char* SystemTemporaryFolder = "/tmp";

// TMPDIR when it is an absolute path to a folder, else /tmp.
std::string temporaryFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    struct stat info {};
    if (tmpdir != nullptr && tmpdir[0] == '/' && ::stat(tmpdir, &info) == 0 && S_ISDIR(info.st_mode))
        return tmpdir;
    return SystemTemporaryFolder;
}

// A new private folder under the given one, or an empty text.
std::string makeFolderIn(const std::string& parent) {
    std::string pattern = parent + "/kodexa-runtime-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
        return {};
    return name.data();
}

// A value to use: a non-empty absolute path.
bool isUsable(const char* runtimeDir) {
    return runtimeDir != nullptr && runtimeDir[0] == '/';
}

} // namespace

RuntimeFolder::RuntimeFolder() {
    if (isUsable(std::getenv(RuntimeDirVariable)))
        return;
    // Where TMPDIR is unusable, Qt's own fallback would make runtime-USER under it, or at the root
    // of the file system when TMPDIR names no folder; /tmp is what every other program takes.
    const std::string parent = temporaryFolder();
    const signalcleanup::SignalsHeld held; // the folder is made and registered as one step
    made_ = makeFolderIn(parent);
    if (made_.empty() && parent != SystemTemporaryFolder)
        made_ = makeFolderIn(SystemTemporaryFolder);
    if (made_.empty())
        return; // Qt's own fallback, with its warning, is all that is left
    if (::setenv(RuntimeDirVariable, made_.c_str(), 1) != 0) {
        std::error_code ignored;
        std::filesystem::remove(made_, ignored);
        made_.clear();
        return;
    }
    cleanupSlot_ = signalcleanup::add(made_, signalcleanup::Kind::Folder);
}

RuntimeFolder::~RuntimeFolder() {
    if (made_.empty())
        return;
    signalcleanup::remove(cleanupSlot_);
    ::unsetenv(RuntimeDirVariable);
    std::error_code ignored; // a folder that cannot be removed stays behind, harmless and private
    std::filesystem::remove_all(made_, ignored);
}

} // namespace kodexa
