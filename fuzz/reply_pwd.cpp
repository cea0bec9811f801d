// The 257 reply text with its quoted path, doubled quotes inside.
#include "ftp/control/reply.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)ftp::parsePwdPath(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
