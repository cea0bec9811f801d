#include "ftp/listing/listing_dialects.h"

#include "ftp/listing/dos_listing.h"
#include "ftp/listing/eplf_listing.h"
#include "ftp/listing/unix_listing.h"

#include <array>

namespace ftp::listing {

namespace {

const std::array<ListDialect, 3> dialects = {{
    {"unix", &parseUnixLine},
    {"dos", static_cast<std::optional<ListEntry> (*)(std::string_view, const DateTime&)>(&parseDosLine)},
    {"eplf", &parseEplfLine},
}};

} // namespace

std::optional<ListEntry> ListLineParser::parse(std::string_view line)
{
    if (auto entry = dialects[lastMatched_].parseLine(line, now_))
        return entry;
    for (std::size_t i = 0; i < dialects.size(); ++i) {
        if (i == lastMatched_)
            continue;
        if (auto entry = dialects[i].parseLine(line, now_)) {
            lastMatched_ = i;
            return entry;
        }
    }
    return std::nullopt;
}

} // namespace ftp::listing
