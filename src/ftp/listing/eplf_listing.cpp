#include "ftp/listing/eplf_listing.h"

#include "ftp/listing/entry_names.h"
#include "ftp/listing/line_tokens.h"

namespace ftp {

namespace listing {
namespace {

// Seconds since 1970-01-01 00:00 UTC as a calendar date and time.
DateTime fromUnixTime(std::uint64_t seconds)
{
    const long long days = static_cast<long long>(seconds / 86400);
    const long long secondOfDay = static_cast<long long>(seconds % 86400);
    // Days to a proleptic Gregorian date, counted in 400-year eras from 0000-03-01.
    const long long z = days + 719468;
    const long long era = z / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const int year = int(yearOfEra + era * 400 + (month <= 2));
    return DateTime{year, month, day, int(secondOfDay / 3600), int(secondOfDay / 60 % 60), int(secondOfDay % 60)};
}

} // namespace
} // namespace listing

std::optional<ListEntry> parseEplfLine(std::string_view line, const DateTime&)
{
    using namespace listing;
    line = withoutLineEnd(line);
    if (line.size() < 3 || line[0] != '+')
        return std::nullopt;
    const auto tab = line.find('\t');
    // Every fact ends with its comma, the last one too.
    if (tab == std::string_view::npos || tab < 2 || line[tab - 1] != ',')
        return std::nullopt;
    std::string_view facts = line.substr(1, tab - 1);
    ListEntry entry;
    bool known = false;
    while (!facts.empty()) {
        const auto comma = facts.find(',');
        const std::string_view fact = facts.substr(0, comma);
        facts.remove_prefix(comma + 1);
        if (fact == "/") {
            entry.isFolder = true;
            known = true;
        } else if (fact == "r") {
            known = true;
        } else if (!fact.empty() && fact[0] == 's') {
            entry.size = parseUnsigned(fact.substr(1));
        } else if (!fact.empty() && fact[0] == 'm') {
            // Up to the year 9999; anything later is no date a file has.
            if (const auto seconds = parseUnsigned(fact.substr(1)); seconds && *seconds < 253402300800ULL)
                entry.modified = fromUnixTime(*seconds);
        }
    }
    // Neither "/" nor "r": an entry that can be neither opened nor fetched.
    if (!known)
        return std::nullopt;
    if (entry.isFolder)
        entry.size.reset();
    return named(std::move(entry), line.substr(tab + 1));
}

} // namespace ftp
