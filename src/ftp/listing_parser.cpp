#include "ftp/listing_parser.h"

#include "ftp/listing/listing_dialects.h"

#include <algorithm>

namespace ftp {

namespace {

// Without today's date no "Mon dd hh:mm" date can be told to lie in the future.
DateTime endOfYear(int year) { return DateTime{year, 12, 31, 23, 59, 59}; }

template <typename ParseLine>
std::vector<ListEntry> parseLines(std::string_view body, ParseLine&& parseLine)
{
    std::vector<ListEntry> entries;
    // Nearly every line is an entry; one count saves the vector's regrowth.
    // At most one entry per dozen bytes is reserved, so a body of empty lines
    // cannot make us reserve far more than its own size.
    const auto lines = std::size_t(std::count(body.begin(), body.end(), '\n')) + 1;
    entries.reserve(std::min(lines, body.size() / 12 + 1));
    std::size_t pos = 0;
    while (pos < body.size()) {
        auto end = body.find('\n', pos);
        if (end == std::string_view::npos)
            end = body.size();
        if (auto entry = parseLine(body.substr(pos, end - pos)))
            entries.push_back(std::move(*entry));
        pos = end + 1;
    }
    return entries;
}

} // namespace

std::optional<ListEntry> parseListLine(std::string_view line, const DateTime& now)
{
    return listing::ListLineParser(now).parse(line);
}

std::optional<ListEntry> parseListLine(std::string_view line, int currentYear)
{
    return parseListLine(line, endOfYear(currentYear));
}

std::vector<ListEntry> parseMlsdListing(std::string_view body)
{
    return parseLines(body, [](std::string_view line) { return parseMlsdLine(line); });
}

std::vector<ListEntry> parseListListing(std::string_view body, const DateTime& now)
{
    listing::ListLineParser parser(now);
    return parseLines(body, [&parser](std::string_view line) { return parser.parse(line); });
}

std::vector<ListEntry> parseListListing(std::string_view body, int currentYear)
{
    return parseListListing(body, endOfYear(currentYear));
}

} // namespace ftp
