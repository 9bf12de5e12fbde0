#include "RuntimeFolder.h"

#include "SignalCleanup.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace kodexa {

namespace {

constexpr const char* RuntimeDirVariable = "XDG_RUNTIME_DIR";

// TMPDIR when it is an absolute path, else /tmp.
std::string temporaryFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && tmpdir[0] == '/')
        return tmpdir;
    return "/tmp";
}

// A value to use: a non-empty absolute path.
bool isUsable(const char* runtimeDir) {
    return runtimeDir != nullptr && runtimeDir[0] == '/';
}

} // namespace

RuntimeFolder::RuntimeFolder() {
    if (isUsable(std::getenv(RuntimeDirVariable)))
        return;
    std::string pattern = temporaryFolder() + "/kodexa-runtime-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
        return; // Qt's own fallback, with its warning, is all that is left
    made_ = name.data();
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
