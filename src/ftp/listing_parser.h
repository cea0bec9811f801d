#pragma once
// Pure parsers from listing text to entries. No sockets here.

#include "listing_entry.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ftp {

// One MLSD line: "type=file;size=12;modify=20210305140700; name".
std::optional<ListEntry> parseMlsdLine(std::string_view line);

// One LIST line in Unix "ls -l" form or DOS/IIS form. `currentYear` fills the
// year of the "Mon dd hh:mm" form, which omits it.
std::optional<ListEntry> parseListLine(std::string_view line, int currentYear);

// A whole MLSD or LIST body: split into lines (CRLF or LF), drop "total N",
// "." and ".." of MLSD (cdir/pdir), and unparseable lines.
std::vector<ListEntry> parseMlsdListing(std::string_view body);
std::vector<ListEntry> parseListListing(std::string_view body, int currentYear);

} // namespace ftp
