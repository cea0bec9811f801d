#pragma once
// Turns a listing into entries while it arrives: each chunk's complete lines
// are parsed at once, so the parsing happens while the server is still
// producing the rest and a listing costs hardly more than its transfer. Only a
// line split between two chunks is copied; the body is never held whole.

#include "ftp/listing/listing_dialects.h"
#include "ftp/listing_entry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ftp {

enum class ListingFormat { Mlsd, List };

class ListingReader {
public:
    // `now` dates LIST lines of the "Mon dd hh:mm" form; MLSD ignores it.
    // More than `maxLines` line ends make add() refuse, before their entries are made.
    ListingReader(ListingFormat format, const DateTime& now, std::size_t maxLines);

    // Room for this many entries, when the caller knows how many lines come.
    void reserve(std::size_t entries) { entries_.reserve(entries); }
    // Parses the lines `chunk` completes. False when the listing has more
    // lines than allowed; nothing more is taken then.
    bool add(std::string_view chunk);
    // Parses a last line without a line end and hands out the entries.
    std::vector<ListEntry> finish();

private:
    void parseLine(std::string_view line);

    ListingFormat format_;
    listing::ListLineParser listParser_;
    std::size_t maxLines_;
    std::size_t lines_ = 0;
    std::string partial_;  // the start of a line the next chunk ends
    std::vector<ListEntry> entries_;
};

} // namespace ftp
