#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace session {

struct DateTime {
    int year = 0;
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// One entry of a folder listing, as the server named it, whatever the protocol.
struct ListEntry {
    std::string name;          // raw bytes, exactly as listed
    bool isFolder = false;
    // Nothing when the listing does not say (an MLSD line without "size", a
    // DOS folder, a device file; a date form we cannot read).
    std::optional<std::uint64_t> size;
    std::optional<DateTime> modified;
    // A symbolic link. isFolder then says whether it is known to lead to a
    // folder; a link with isFolder false may still lead to one.
    bool isLink = false;
    friend bool operator==(const ListEntry&, const ListEntry&) = default;
};

} // namespace session
