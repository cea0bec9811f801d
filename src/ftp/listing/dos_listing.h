#pragma once
// The MS-DOS "dir" form IIS and other Windows servers send for LIST:
//   12-07-23  09:37AM       <DIR>          aspnet_client
//   12-07-23  09:37AM                 1234 default.htm
//   2023-12-07  21:37                1,234 report.doc

#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>

namespace ftp {

std::optional<ListEntry> parseDosLine(std::string_view line);

} // namespace ftp
