#include "ftp/listing/entry_names.h"

namespace ftp::listing {

bool isUsableName(std::string_view name)
{
    if (name == "." || name == "..")
        return false;
    // Blanks only is the padding of a line that ends after its date, not a name.
    bool printable = false;
    for (char c : name) {
        if (c == '/' || c == '\0')
            return false;
        printable = printable || (c != ' ' && c != '\t');
    }
    return printable;
}

std::optional<ListEntry> named(ListEntry entry, std::string_view name)
{
    if (!isUsableName(name))
        return std::nullopt;
    entry.name.assign(name);
    return entry;
}

} // namespace ftp::listing
