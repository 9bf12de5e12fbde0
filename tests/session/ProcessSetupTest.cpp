// What a program sets up for itself before anything else: placeholders for closed standard
// descriptors, and the removal of its unfinished files when a signal ends it. Each case runs in a
// child process, whose descriptors and signal handlers it may change.
#include "SignalCleanup.h"
#include "StandardDescriptors.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kodexa;
namespace fs = std::filesystem;

namespace {

// Runs body in a child process; returns its wait status. The child's exit status is body's.
int inChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

class ProcessSetup : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kodexa-setup-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};

} // namespace

TEST_F(ProcessSetup, ClosedStandardDescriptorsGetPlaceholders) {
    const int status = inChild([] {
        ::close(1);
        ::close(2);
        const unsigned closed = reserveStandardDescriptors();
        const int next = ::open("/dev/null", O_RDONLY); // what a library opens next
        if (closed != 6U || next < 3)
            return 1;
        if (!isPlaceholder(1) || !isPlaceholder(2) || isPlaceholder(0) || isPlaceholder(next))
            return 2;
        return 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ProcessSetup, OpenStandardDescriptorsAreLeftAlone) {
    const int status =
        inChild([] { return reserveStandardDescriptors() == 0U && !isPlaceholder(1) ? 0 : 1; });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ProcessSetup, ASignalRemovesThePathsHeldAndEndsTheProgramByIt) {
    const fs::path file = folder_ / "list.pdf.abcdef";
    const fs::path emptyFolder = folder_ / "runtime";
    const fs::path released = folder_ / "released";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::ofstream(file) << "unfinished";
        std::ofstream(released) << "kept";
        fs::create_directory(emptyFolder);
        const int status = inChild([&] {
            signalcleanup::installHandlers();
            signalcleanup::add(file.native(), signalcleanup::Kind::File);
            signalcleanup::add(emptyFolder.native(), signalcleanup::Kind::Folder);
            signalcleanup::remove(signalcleanup::add(released.native(), signalcleanup::Kind::File));
            ::raise(signal);
            return 0;
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_FALSE(fs::exists(file)) << signal;
        EXPECT_FALSE(fs::exists(emptyFolder)) << signal;
        EXPECT_TRUE(fs::exists(released)) << signal;
    }
}

// A signal that comes between making a path and registering it waits until both are done.
TEST_F(ProcessSetup, ASignalWhileAPathIsMadeWaitsForItsRegistration) {
    const fs::path file = folder_ / "list.pdf.ghijkl";
    const int status = inChild([&] {
        signalcleanup::installHandlers();
        const signalcleanup::SignalsHeld held;
        std::ofstream(file) << "unfinished";
        ::raise(SIGTERM);
        signalcleanup::add(file.native(), signalcleanup::Kind::File);
        return 0;
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(ProcessSetup, AnIgnoredSignalStaysIgnored) {
    const fs::path file = folder_ / "list.pdf.abcdef";
    std::ofstream(file) << "unfinished";
    const int status = inChild([&] {
        std::signal(SIGINT, SIG_IGN);
        signalcleanup::installHandlers();
        signalcleanup::add(file.native(), signalcleanup::Kind::File);
        ::raise(SIGINT);
        return 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_TRUE(fs::exists(file));
}
