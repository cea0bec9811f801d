#pragma once
// The millisecond tick count used for transfer timing, behind an interface so
// tests can drive time.

#include <cstdint>

class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t tickCount() = 0;
};

// The clock in use: a steady monotonic clock unless a test installed its own.
TickClock& tickClock();
void setTickClock(TickClock* clock);  // nullptr restores the steady clock

inline std::uint32_t GetTickCount() { return tickClock().tickCount(); }
