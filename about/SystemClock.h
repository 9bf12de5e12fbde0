#pragma once

#include <cstdint>

namespace kodexa {

// The system's millisecond tick counter and sleep, behind an interface so that tests can run a
// wait in no real time.
class SystemClock {
public:
    virtual ~SystemClock() = default;
    // Milliseconds since an arbitrary start; wraps around at 2^32.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
};

// The real clock: std::chrono::steady_clock and a sleep of the calling thread.
class SteadySystemClock final : public SystemClock {
public:
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t milliseconds) override;
};

// A clock whose every sleep advances the tick count at once: waits cost no time (tests, benchmarks,
// screenshots).
class InstantClock final : public SystemClock {
public:
    std::uint32_t tickCount() override { return ticks_; }
    void sleep(std::uint32_t milliseconds) override { ticks_ += milliseconds; }

private:
    std::uint32_t ticks_ = 0;
};

} // namespace kodexa
