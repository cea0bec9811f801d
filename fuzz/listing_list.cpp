// A whole LIST body as the data connection delivers it, with both ways of
// giving the current date.
#include "entry_checks.h"
#include "ftp/listing/listing_parser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const ftp::DateTime now{2024, 1, 1, 0, 30, 0};
    const auto entries = ftp::parseListListing(body, now);
    for (const ftp::ListEntry& entry : entries)
        fuzz::checkEntry(entry, true);
    // Knowing only the year cannot change which lines are entries.
    fuzz::require(ftp::parseListListing(body, now.year).size() == entries.size(), "the same entries by year");
    return 0;
}
