#pragma once
// The MS-DOS "dir" form IIS and other Windows servers send for LIST:
//   12-07-23  09:37AM       <DIR>          aspnet_client
//   12-07-23  09:37AM                 1234 default.htm
//   2023-12-07  21:37                1,234 report.doc

#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>

namespace ftp {

// DOS dates always carry their year; the overload with `now` lets the line
// stand in a table of dialects that all take it.
std::optional<ListEntry> parseDosLine(std::string_view line);
std::optional<ListEntry> parseDosLine(std::string_view line, const DateTime& now);

} // namespace ftp
