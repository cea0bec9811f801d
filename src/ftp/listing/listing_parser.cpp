#include "ftp/listing/listing_parser.h"

#include "ftp/listing/listing_dialects.h"
#include "ftp/listing/listing_reader.h"

#include <algorithm>

namespace ftp {

namespace {

// Without today's date no "Mon dd hh:mm" date can be told to lie in the future.
DateTime endOfYear(int year) { return DateTime{year, 12, 31, 23, 59, 59}; }

// A whole body is one chunk that nothing follows.
std::vector<ListEntry> parseBody(std::string_view body, ListingFormat format, const DateTime& now)
{
    ListingReader reader(format, now, std::size_t(-1));
    // Nearly every line is an entry; one count saves the vector's regrowth.
    // At most one entry per dozen bytes is reserved, so a body of empty lines
    // cannot make us reserve far more than its own size.
    const auto lines = std::size_t(std::count(body.begin(), body.end(), '\n')) + 1;
    reader.reserve(std::min(lines, body.size() / 12 + 1));
    (void)reader.add(body);
    return reader.finish();
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
    return parseBody(body, ListingFormat::Mlsd, DateTime{});
}

std::vector<ListEntry> parseListListing(std::string_view body, const DateTime& now)
{
    return parseBody(body, ListingFormat::List, now);
}

std::vector<ListEntry> parseListListing(std::string_view body, int currentYear)
{
    return parseListListing(body, endOfYear(currentYear));
}

} // namespace ftp
