// A whole MLSD body as the data connection delivers it.
#include "entry_checks.h"
#include "ftp/listing/listing_parser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const ftp::ListEntry& entry : ftp::parseMlsdListing(body))
        fuzz::checkEntry(entry, true);
    return 0;
}
