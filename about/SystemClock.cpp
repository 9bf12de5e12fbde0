#include "SystemClock.h"

#include <chrono>
#include <thread>

namespace kodexa {

std::uint32_t SteadySystemClock::tickCount() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    // Keeping the low 32 bits makes the counter wrap as a 32-bit tick counter does.
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void SteadySystemClock::sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace kodexa
