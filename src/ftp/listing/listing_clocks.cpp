#include "ftp/listing/listing_clocks.h"

#include <algorithm>

namespace ftp::listing {

bool validTime(int hour, int minute, int second)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 60;
}

bool isZone(std::string_view token)
{
    if (token == "Z")
        return true;
    if (token.size() < 5 || (token[0] != '+' && token[0] != '-'))
        return false;
    token.remove_prefix(1);
    if (token.size() == 5 && token[2] == ':')
        return allDigits(token.substr(0, 2)) && allDigits(token.substr(3));
    return token.size() == 4 && allDigits(token);
}

std::optional<Clock> parseClock(std::string_view token)
{
    const auto colon = token.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2)
        return std::nullopt;
    Clock clock;
    const auto hour = parseSmall(token.substr(0, colon), 1, 2);
    const auto minute = parseSmall(token.substr(colon + 1, 2), 2, 2);
    if (!hour || !minute)
        return std::nullopt;
    std::string_view rest = token.substr(std::min(token.size(), colon + 3));
    if (!rest.empty()) {
        if (rest.size() < 3 || rest[0] != ':')
            return std::nullopt;
        const auto second = parseSmall(rest.substr(1, 2), 2, 2);
        if (!second)
            return std::nullopt;
        clock.second = *second;
        clock.withSeconds = true;
        rest.remove_prefix(3);
        if (!rest.empty() && (rest[0] == '.' || rest[0] == ',')) {
            std::size_t digits = 1;
            while (digits < rest.size() && isDigit(rest[digits]))
                ++digits;
            if (digits == 1)
                return std::nullopt;
            rest.remove_prefix(digits);
        }
        // "09:37:12.123+01:00": ISO times may carry their zone.
        if (!rest.empty() && !isZone(rest))
            return std::nullopt;
    }
    clock.hour = *hour;
    clock.minute = *minute;
    if (!validTime(clock.hour, clock.minute, clock.second))
        return std::nullopt;
    return clock;
}

std::optional<ClockSpan> parseClockAt(const LineTokens& tokens, std::size_t j)
{
    const auto isMeridiem = [](std::string_view text) {
        return equalsIgnoringCase(text, "am") || equalsIgnoringCase(text, "pm");
    };
    std::string_view word = tokens.text(j);
    std::string_view meridiem;
    std::size_t words = 1;
    if (word.size() > 2 && isMeridiem(word.substr(word.size() - 2))) {
        meridiem = word.substr(word.size() - 2);
        word.remove_suffix(2);
    } else if (isMeridiem(tokens.text(j + 1))) {
        meridiem = tokens.text(j + 1);
        words = 2;
    }
    auto clock = parseClock(word);
    if (!clock)
        return std::nullopt;
    if (!meridiem.empty()) {
        if (clock->hour < 1 || clock->hour > 12)
            return std::nullopt;
        clock->hour = clock->hour % 12 + (lowerAscii(meridiem[0]) == 'p' ? 12 : 0);
    }
    return ClockSpan{*clock, words};
}

bool looksLikeClock(std::string_view word)
{
    return !word.empty() && isDigit(word[0]) && word.find(':') != std::string_view::npos;
}

std::optional<Clock> parseDottedClock(std::string_view word)
{
    const auto dot = word.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 2 || word.size() != dot + 3)
        return std::nullopt;
    const auto hour = parseSmall(word.substr(0, dot), 1, 2);
    const auto minute = parseSmall(word.substr(dot + 1), 2, 2);
    if (!hour || !minute || !validTime(*hour, *minute, 0))
        return std::nullopt;
    Clock clock;
    clock.hour = *hour;
    clock.minute = *minute;
    return clock;
}

} // namespace ftp::listing
