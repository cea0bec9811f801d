#include "ftp/listing/mlsd_listing.h"

#include "ftp/listing/entry_names.h"
#include "ftp/listing/line_tokens.h"
#include "ftp/listing/listing_dates.h"

namespace ftp {

namespace listing {
namespace {

// "YYYYMMDDHHMMSS" with an optional ".sss" fraction.
std::optional<DateTime> parseMlsdTime(std::string_view value)
{
    const auto dot = value.find('.');
    const std::string_view whole = value.substr(0, dot);
    if (whole.size() != 14 || !allDigits(whole))
        return std::nullopt;
    if (dot != std::string_view::npos && !allDigits(value.substr(dot + 1)))
        return std::nullopt;
    const auto number = [whole](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i)
            value = value * 10 + (whole[i] - '0');
        return value;
    };
    DateTime t{number(0, 4), number(4, 2), number(6, 2), number(8, 2), number(10, 2), number(12, 2)};
    if (!validDate(t.year, t.month, t.day) || !validTime(t.hour, t.minute, t.second))
        return std::nullopt;
    return t;
}

} // namespace
} // namespace listing

std::optional<ListEntry> parseMlsdLine(std::string_view line)
{
    using namespace listing;
    line = withoutLineEnd(line);
    // MLST sends its one line with a blank in front of the facts.
    if (!line.empty() && line[0] == ' ')
        line.remove_prefix(1);
    // Facts hold no blanks; the first blank (a tab on some servers) ends
    // them, and everything after it is the name, blanks included.
    std::size_t blank = 0;
    while (blank < line.size() && !isBlank(line[blank]))
        ++blank;
    if (blank == 0 || blank >= line.size())
        return std::nullopt;
    std::string_view facts = line.substr(0, blank);
    ListEntry entry;
    bool sized = false;
    while (!facts.empty()) {
        const auto semicolon = facts.find(';');
        const std::string_view fact = facts.substr(0, semicolon);
        facts = semicolon == std::string_view::npos ? std::string_view() : facts.substr(semicolon + 1);
        const auto equals = fact.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return std::nullopt;
        const std::string_view key = fact.substr(0, equals);
        const std::string_view value = fact.substr(equals + 1);
        if (equalsIgnoringCase(key, "type")) {
            if (equalsIgnoringCase(value, "cdir") || equalsIgnoringCase(value, "pdir"))
                return std::nullopt;
            // "dir", and links that say where they point: "OS.unix=slink:/pub/".
            entry.isLink = startsWithIgnoringCase(value, "OS.unix=slink") || equalsIgnoringCase(value, "OS.unix=symlink");
            entry.isFolder = equalsIgnoringCase(value, "dir")
                || (startsWithIgnoringCase(value, "OS.unix=slink:") && value.back() == '/');
        } else if (equalsIgnoringCase(key, "size")) {
            entry.size = parseUnsigned(value);
            sized = true;
        } else if (equalsIgnoringCase(key, "sizd") && !sized) {
            // A folder's own size, where a server tells it.
            entry.size = parseUnsigned(value);
        } else if (equalsIgnoringCase(key, "modify")) {
            entry.modified = parseMlsdTime(value);
        }
    }
    return named(std::move(entry), line.substr(blank + 1));
}

} // namespace ftp
