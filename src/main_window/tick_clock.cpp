#include "main_window/tick_clock.h"

#include <ctime>

namespace {

class MonotonicClock final : public TickClock {
public:
    std::uint32_t tickCount() override
    {
        // The coarse clock is read without a system call and is still finer than a
        // classic tick count; it is read once per transferred block.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        // Wraps like a 32-bit tick count; differences stay right across the wrap.
        return std::uint32_t(std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u);
    }
};

MonotonicClock monotonicClock;
TickClock* installed = nullptr;

} // namespace

TickClock& tickClock() { return installed ? *installed : monotonicClock; }
void setTickClock(TickClock* clock) { installed = clock; }
