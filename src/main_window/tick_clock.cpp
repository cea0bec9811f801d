#include "main_window/tick_clock.h"

#include <chrono>

namespace {

class SteadyClock final : public TickClock {
public:
    std::uint32_t tickCount() override
    {
        using namespace std::chrono;
        // Wraps like a 32-bit tick count; differences stay right across the wrap.
        return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

SteadyClock steadyClock;
TickClock* installed = nullptr;

} // namespace

TickClock& tickClock() { return installed ? *installed : steadyClock; }
void setTickClock(TickClock* clock) { installed = clock; }
