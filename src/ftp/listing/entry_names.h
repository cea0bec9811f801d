#pragma once
// Where every dialect's names pass the rule all engines share on which names
// can be entries of the folder.

#include "ftp/listing_entry.h"
#include "session/entry_names.h"

#include <optional>
#include <string_view>

namespace ftp::listing {

using session::isUsableName;

// `entry` named `name`, or nothing when the name is not usable.
std::optional<ListEntry> named(ListEntry entry, std::string_view name);

} // namespace ftp::listing
