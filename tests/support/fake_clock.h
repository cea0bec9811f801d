#pragma once
// A tick count the test moves by hand, optionally advancing on every read.

#include "main_window/tick_clock.h"

class FakeClock final : public TickClock {
public:
    FakeClock() { setTickClock(this); }
    ~FakeClock() override { setTickClock(nullptr); }

    std::uint32_t now = 1000;
    std::uint32_t stepPerRead = 0;  // added after every read

    std::uint32_t tickCount() override
    {
        const std::uint32_t value = now;
        now += stepPerRead;
        return value;
    }
};
