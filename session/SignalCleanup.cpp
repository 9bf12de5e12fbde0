#include "SignalCleanup.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <pthread.h>
#include <unistd.h>

namespace kodexa::signalcleanup {

namespace {

struct Slot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 a file, 3 a folder
    char path[PATH_MAX] = {};
};

// A program has one output file and one runtime folder at a time; some room for more.
std::array<Slot, 8> slots;

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots");

extern "C" void removeAndRaise(int signal) {
    const int savedErrno = errno;
    removeAll();
    // Ends the program by the signal itself, so the caller learns how it ended.
    std::signal(signal, SIG_DFL);
    errno = savedErrno;
    ::raise(signal);
}

} // namespace

void removeAll() {
    for (Slot& slot : slots) {
        const int state = slot.state.exchange(0);
        if (state == 2)
            ::unlink(slot.path);
        else if (state == 3)
            ::rmdir(slot.path);
    }
}

int add(const std::string& path, Kind kind) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (std::size_t index = 0; index < slots.size(); ++index) {
        int expected = 0;
        if (!slots[index].state.compare_exchange_strong(expected, 1))
            continue;
        std::memcpy(slots[index].path, path.c_str(), path.size() + 1);
        slots[index].state.store(kind == Kind::File ? 2 : 3);
        return static_cast<int>(index);
    }
    return -1;
}

void remove(int slot) {
    if (slot >= 0 && static_cast<std::size_t>(slot) < slots.size())
        slots[static_cast<std::size_t>(slot)].state.store(0);
}

SignalsHeld::SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalsHeld::~SignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void installHandlers() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = removeAndRaise;
        sigemptyset(&action.sa_mask);
        for (const int other : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&action.sa_mask, other); // one cleanup at a time
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace kodexa::signalcleanup
