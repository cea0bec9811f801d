#pragma once
// Listing one folder: MLSD when the server offers MLST, else LIST, read whole
// into memory (with a cap) and parsed.

#include "ftp/control/command_channel.h"
#include "ftp/listing_entry.h"
#include "ftp/status.h"

#include <string>
#include <vector>

namespace ftp {

Status listFolder(CommandChannel& channel, const std::string& path, std::vector<ListEntry>& entries);

} // namespace ftp
