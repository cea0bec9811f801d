#pragma once
// What the windows rely on in every listed entry, checked in the fuzz targets:
// a breach stops the run like a crash, so the input is kept.

#include "ftp/listing_entry.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace fuzz {

inline void require(bool holds, const char* rule = "", const std::string& name = {})
{
    if (holds)
        return;
    std::fprintf(stderr, "broken rule: %s (name \"%s\")\n", rule, name.c_str());
    std::abort();
}

// The entry's date when the listing gave one; both the plain form (year 0
// when unknown) and an optional one are understood.
inline const ftp::DateTime* knownDate(const ftp::DateTime& date) { return date.year != 0 ? &date : nullptr; }
inline const ftp::DateTime* knownDate(const std::optional<ftp::DateTime>& date)
{
    return date ? &*date : nullptr;
}

// `fromWholeListing`: the entry came out of a listing body split into lines,
// so no line break may have reached its name.
inline void checkEntry(const ftp::ListEntry& entry, bool fromWholeListing)
{
    const std::string_view name = entry.name;
    require(!name.empty(), "a name", entry.name);
    require(name != "." && name != "..", "not the folder itself or its parent", entry.name);
    require(name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos,
            "no path separator or NUL in a name", entry.name);
    if (fromWholeListing)
        require(name.find('\n') == std::string_view::npos, "no line break in a name", entry.name);
    if (const ftp::DateTime* t = knownDate(entry.modified)) {
        // From 1601, the first year a Windows file time can hold; no April 31 or February 29, 2023.
        static constexpr int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (t->year % 4 == 0 && t->year % 100 != 0) || t->year % 400 == 0;
        require(t->year >= 1601 && t->year <= 9999 && t->month >= 1 && t->month <= 12 && t->day >= 1
                    && t->day <= (t->month == 2 && !leap ? 28 : days[t->month - 1]) && t->hour >= 0 && t->hour <= 23
                    && t->minute >= 0 && t->minute <= 59 && t->second >= 0 && t->second <= 60,
                "a real date and time", entry.name);
    }
}

} // namespace fuzz
