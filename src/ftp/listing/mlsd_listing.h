#pragma once
// Machine listings (MLSD): facts, one blank, the name.
//   type=file;size=1234;modify=20231207093700; readme.txt

#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>

namespace ftp {

// Nothing for the folder itself or its parent (type cdir/pdir, or named "."
// or ".."), and for a line whose facts are not all "name=value".
std::optional<ListEntry> parseMlsdLine(std::string_view line);

} // namespace ftp
