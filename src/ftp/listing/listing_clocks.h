#pragma once
// The times of day in listing lines: "09:37", "09:37:12.123+01:00",
// "09:37 pm", "10.28", and the zones that may follow them. Dates are read
// in listing_dates.h.

#include "ftp/listing/line_tokens.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace ftp::listing {

bool validTime(int hour, int minute, int second);

struct Clock {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool withSeconds = false;
};
// "9:37", "09:37", "09:37:12", "09:37:12.123456789", "09:37:12+01:00".
std::optional<Clock> parseClock(std::string_view token);

// "10.28": the time as Italian, Swedish, Czech and Hungarian "ls" print it.
// Only where a time or a year must follow a month and day, so that nothing
// else with a dot is taken for one.
std::optional<Clock> parseDottedClock(std::string_view word);

// A time at word `j` as Windows-minded servers print it too: "09:37",
// "21:37:05", "09:37PM", "09:37 pm" (two words).
struct ClockSpan {
    Clock clock;
    std::size_t words = 1;
};
std::optional<ClockSpan> parseClockAt(const LineTokens& tokens, std::size_t j);

// A word that starts like a time ("25:99" does, "report" does not): after a
// date it is either a valid time or the line is not understood.
bool looksLikeClock(std::string_view word);

// "+0100", "-0500", "+01:00", "Z": the zone of "ls --full-time" and of ISO
// times. The time stays as printed.
bool isZone(std::string_view token);

} // namespace ftp::listing
