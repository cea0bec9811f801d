#pragma once
// The LIST dialects behind one interface. A server keeps to one dialect for
// a whole listing, so the one that read the last line is tried first.

#include "ftp/listing_entry.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace ftp::listing {

struct ListDialect {
    const char* name;
    std::optional<ListEntry> (*parseLine)(std::string_view line, const DateTime& now);
};

class ListLineParser {
public:
    explicit ListLineParser(const DateTime& now)
        : now_(now)
    {
    }

    std::optional<ListEntry> parse(std::string_view line);

private:
    DateTime now_;
    std::size_t lastMatched_ = 0;
};

} // namespace ftp::listing
