#pragma once
// Pure parsers from listing text to entries. No sockets here. The dialects
// live in ftp/listing/, one file each; this is what callers use.
//
// Names are exact: every byte the server put in the name column is kept,
// leading and trailing blanks included. Entries that name the listed folder
// itself or its parent (MLSD cdir/pdir, "." and "..") and names that are
// empty or hold "/" or NUL yield nothing, like lines that parse as nothing
// ("total 12", blank lines, garbage).
// A symbolic link is listed under its own name (the "-> target" part is
// dropped) and counts as a file, unless its target ends with "/" (or MLSD
// calls it a dir): without a second request we cannot know what it points to,
// and a file that fails to download is the safer mistake than a folder that
// cannot be opened.

#include "ftp/listing/dos_listing.h"
#include "ftp/listing/eplf_listing.h"
#include "ftp/listing/mlsd_listing.h"
#include "ftp/listing/unix_listing.h"
#include "ftp/listing_entry.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ftp {

// One MLSD line: "type=file;size=12;modify=20210305140700; name".
std::optional<ListEntry> parseMlsdLine(std::string_view line);

// One LIST line in any dialect we know (Unix "ls -l", DOS/IIS, EPLF). `currentYear`
// fills the year of the "Mon dd hh:mm" form, which omits it.
std::optional<ListEntry> parseListLine(std::string_view line, int currentYear);
// The same, knowing the current date: a "Mon dd hh:mm" date that would lie
// more than a day after `now` in the current year belongs to the year before.
std::optional<ListEntry> parseListLine(std::string_view line, const DateTime& now);

// A whole MLSD or LIST body: split into lines (CRLF or LF), dropping what
// yields no entry.
std::vector<ListEntry> parseMlsdListing(std::string_view body);
std::vector<ListEntry> parseListListing(std::string_view body, int currentYear);
std::vector<ListEntry> parseListListing(std::string_view body, const DateTime& now);

} // namespace ftp
