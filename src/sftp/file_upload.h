#pragma once
// One remote file written with many requests in flight: the caller's small
// writes are gathered into requests that fill two SSH packets, and up to 64
// go unanswered at a time, so no write waits for a round trip.

#include "sftp/sftp_channel.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

namespace sftp {

class Upload {
public:
    // `handle` is open for writing, the file emptied.
    Upload(Channel& channel, std::string handle);

    Status write(const void* buffer, std::size_t size);
    // Sends the rest, takes every answer, checks the size the server holds
    // and closes the file. Only then is the upload done.
    Status finish();

private:
    Status sendGathered();
    Status takeAnswer();
    Status fail(Status status);

    Channel& channel_;
    std::string handle_;
    std::size_t requestData_;
    std::string gathered_;
    std::string message_;
    std::uint64_t offset_ = 0;
    std::unordered_set<std::uint32_t> unanswered_;
    std::optional<Status> failure_;
};

} // namespace sftp
