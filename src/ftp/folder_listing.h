#pragma once
// Listing one folder: MLSD when the server offers MLST, else LIST, read whole
// into memory (with a cap) and parsed.

#include "command_channel.h"
#include "data_channel.h"
#include "listing_entry.h"
#include "status.h"

#include <string>
#include <vector>

namespace ftp {

Status listFolder(CommandChannel& channel, DataChannel& data, const std::string& path,
                  std::vector<ListEntry>& entries);

} // namespace ftp
