#pragma once
// One remote file read with many requests in flight, as the OpenSSH client
// does (64 at a time): the caller's small reads are served from what has
// arrived, and each costs no round trip of its own.

#include "sftp/sftp_channel.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace sftp {

class Download {
public:
    // `handle` is open for reading; `size` is what the server said the file
    // holds. The bytes before `from` are the caller's already: reading starts there.
    Download(Channel& channel, std::string handle, std::optional<std::uint64_t> size, std::uint64_t from = 0);
    // Sends the first requests.
    Status start();

    // Fills `buffer` unless the file ends; 0 in `count` at the end. Fewer
    // bytes than the server's size at the end is a failure, never an end.
    Status read(void* buffer, std::size_t size, std::size_t& count);
    // True when `read` of `size` bytes would not wait for the server: the
    // bytes are here, or the answer bringing them is coming in.
    bool ready(std::size_t size);
    // Closes the remote file. Closed before its end, the download is a failure.
    Status finish();

private:
    struct Request {
        std::uint32_t id = 0;
        std::uint32_t length = 0;
        bool answered = false;
        bool endOfFile = false;
        std::string data;
    };

    void topUp();
    Status sendQueued();
    Status handle(Response& response);
    Status takeAnswered();
    Status fail(Status status);

    Channel& channel_;
    std::string handle_;
    std::optional<std::uint64_t> size_;
    // Requests in flight or answered but not yet delivered, by file offset.
    std::map<std::uint64_t, Request> requests_;
    std::unordered_map<std::uint32_t, std::uint64_t> offsetOfId_;
    std::string queued_;  // requests built but not yet sent
    std::string arrived_;  // delivered bytes from `arrivedStart_` on are not yet read
    std::size_t arrivedStart_ = 0;
    std::uint32_t requestLength_;
    std::uint64_t nextOffset_ = 0;
    std::uint64_t delivered_ = 0;
    std::uint64_t furthestData_ = 0;
    bool endSeen_ = false;  // some request met the end of the file
    bool ended_ = false;    // every byte before the end is delivered
    std::optional<Status> failure_;
};

} // namespace sftp
