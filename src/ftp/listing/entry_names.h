#pragma once
// The one place that decides whether a listed name can be an entry of the
// folder: every dialect passes its names through here.

#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>

namespace ftp::listing {

// Empty, "." and ".." name no entry of the folder, and a name holding "/" or
// NUL cannot be used in a path built from it: such entries yield nothing. A
// name of blanks only is the padding of a line that ends after its date.
bool isUsableName(std::string_view name);

// `entry` named `name`, or nothing when the name is not usable.
std::optional<ListEntry> named(ListEntry entry, std::string_view name);

} // namespace ftp::listing
