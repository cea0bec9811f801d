// Remote names between the server's bytes and the text the windows show: any
// bytes must come back unchanged, any text must convert without harm, and
// every name shows as something readable.
#include "main_window/remote_names.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (toRemote(fromRemote(bytes)) != bytes)
        std::abort();
    // What the user reads: never nothing for a name that has bytes.
    if (!bytes.empty() && (displayName(bytes).isEmpty() || displayPath(bytes).isEmpty()))
        std::abort();
    // The same input read as UTF-16 text, lone surrogates and all.
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    const QString text = QString::fromUtf16(units.data(), qsizetype(units.size()));
    const std::string sent = toRemote(text);
    if (toRemote(fromRemote(sent)) != sent)
        std::abort();
    return 0;
}
