// The 229 reply text with its delimited port.
#include "ftp/control/reply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto port = ftp::parseEpsvPort(std::string_view(reinterpret_cast<const char*>(data), size));
    if (port && *port == 0)  // nothing listens on port 0
        std::abort();
    return 0;
}
