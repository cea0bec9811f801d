#include "ftp/listing/entry_names.h"

namespace ftp::listing {

bool isUsableName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    if (name.find_first_not_of(" \t") == std::string_view::npos)
        return false;  // only the padding after a date, not a name
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::optional<ListEntry> named(ListEntry entry, std::string_view name)
{
    if (!isUsableName(name))
        return std::nullopt;
    entry.name.assign(name);
    return entry;
}

} // namespace ftp::listing
