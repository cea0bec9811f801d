#pragma once
// The "ls -l" form most servers send for LIST, in all its local variants:
//   -rw-r--r--    1 ftp      ftp          1234 Dec 07 09:37 readme.txt
//   -rw-r--r--    1 ftp      ftp          1234  7. Dez 2023 liesmich.txt
//   -rw-r--r--    1 ftp      ftp          1234 2023-12-07 09:37:12.000000000 +0100 iso.txt
//   crw-rw-rw-    1 root     root       8,   1 Dec 07 09:37 tty1

#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>

namespace ftp {

// `now` gives the year of dates printed without one.
std::optional<ListEntry> parseUnixLine(std::string_view line, const DateTime& now);

} // namespace ftp
