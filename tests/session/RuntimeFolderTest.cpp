#include "RuntimeFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using kodexa::RuntimeFolder;

namespace {

// Sets or clears XDG_RUNTIME_DIR for one test and puts the old value back afterwards.
class RuntimeDirVariable {
public:
    explicit RuntimeDirVariable(const char* value) {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            old_ = old;
        if (value)
            ::setenv("XDG_RUNTIME_DIR", value, 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    ~RuntimeDirVariable() {
        if (old_)
            ::setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }

private:
    std::optional<std::string> old_;
};

std::string currentValue() {
    const char* value = std::getenv("XDG_RUNTIME_DIR");
    return value ? value : "(unset)";
}

} // namespace

TEST(RuntimeFolder, WithoutTheVariableAPrivateFolderServesAndGoesAway) {
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative/run"}) {
        const RuntimeDirVariable variable(value);
        std::string made;
        {
            const RuntimeFolder folder;
            made = folder.madeFolder();
            ASSERT_FALSE(made.empty()) << (value ? value : "(unset)");
            EXPECT_EQ(currentValue(), made);
            struct stat info {};
            ASSERT_EQ(::lstat(made.c_str(), &info), 0);
            EXPECT_TRUE(S_ISDIR(info.st_mode));
            EXPECT_EQ(info.st_mode & 07777, 0700U); // nobody else may look in
            EXPECT_EQ(info.st_uid, ::geteuid());
            // What the toolkit leaves in it goes with it.
            std::filesystem::create_directory(made + "/sub");
            EXPECT_TRUE(std::filesystem::exists(made + "/sub"));
        }
        EXPECT_FALSE(std::filesystem::exists(made));
        EXPECT_EQ(currentValue(), "(unset)");
    }
}

TEST(RuntimeFolder, EveryRunGetsItsOwnFolder) {
    const RuntimeDirVariable variable(nullptr);
    const RuntimeFolder first;
    ::unsetenv("XDG_RUNTIME_DIR");
    const RuntimeFolder second;
    EXPECT_NE(first.madeFolder(), second.madeFolder());
}

TEST(RuntimeFolder, ASetFolderIsLeftToTheToolkit) {
    // Even one that does not exist: Qt makes it, or says what is wrong with it.
    for (const char* value : {"/run/user/4242", "/nonexistent/run"}) {
        const RuntimeDirVariable variable(value);
        const RuntimeFolder folder;
        EXPECT_TRUE(folder.madeFolder().empty());
        EXPECT_EQ(currentValue(), value);
    }
}

TEST(RuntimeFolder, ATemporaryFolderThatIsNoFolderGivesWayToTmp) {
    const RuntimeDirVariable variable(nullptr);
    const std::optional<std::string> oldTmpdir =
        std::getenv("TMPDIR") ? std::optional<std::string>(std::getenv("TMPDIR")) : std::nullopt;
    for (const char* tmpdir : {"/nonexistent/tmp", "/dev/null"}) {
        ::setenv("TMPDIR", tmpdir, 1);
        const RuntimeFolder folder;
        EXPECT_EQ(folder.madeFolder().rfind("/tmp/kodexa-runtime-", 0), 0U)
            << tmpdir << ": " << folder.madeFolder();
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    if (oldTmpdir)
        ::setenv("TMPDIR", oldTmpdir->c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_FALSE(std::filesystem::exists("/nonexistent"));
}
