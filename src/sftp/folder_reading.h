#pragma once
// A remote folder read with one open: every entry with its size, date and
// kind; links followed to learn what they lead to.

#include "sftp/listing_limits.h"
#include "sftp/sftp_channel.h"
#include "session/remote_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sftp {

// Names no usable entry could have are left out; a listing past `limits`
// fails whole.
Status readFolder(Channel& channel, const std::string& path, std::vector<session::ListEntry>& entries,
                  const ListingLimits& limits = {});

// A time in seconds since 1970 as a listing shows it: the local date and
// time. Nothing for no time.
std::optional<session::DateTime> localTime(std::optional<std::uint32_t> seconds);

// A server's answer as the status of an operation: OK is success, anything
// else a refusal carrying the server's text.
Status statusOf(const Response& response, const std::string& what);

} // namespace sftp
