#pragma once
// The Easily Parsed LIST Format some small servers (publicfile, anonftpd)
// send: facts after a "+", each ended by a comma, then a tab and the name.
//   +i8388621.48594,m825718503,r,s280,	djb.html
//   +i8388621.50690,m824255907,/,	514

#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>

namespace ftp {

// The date is the "m" fact, seconds since 1970 in UTC; `now` is not needed
// and only lets the line stand in the table of dialects.
std::optional<ListEntry> parseEplfLine(std::string_view line, const DateTime& now);

} // namespace ftp
