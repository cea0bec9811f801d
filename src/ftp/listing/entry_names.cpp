#include "ftp/listing/entry_names.h"

namespace ftp::listing {

std::optional<ListEntry> named(ListEntry entry, std::string_view name)
{
    if (!isUsableName(name))
        return std::nullopt;
    entry.name.assign(name);
    return entry;
}

} // namespace ftp::listing
