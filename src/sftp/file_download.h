#pragma once
// One remote file read with many requests in flight, as the OpenSSH client
// does (64 at a time): the caller's small reads are served from what has
// arrived, and each costs no round trip of its own. With the file's size
// known, the reads cover it and no read goes out only to meet its end.

#include "sftp/sftp_channel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace sftp {

class Download {
public:
    // `handle` is open for reading; `size` is what the server said the file
    // holds. The bytes before `from` are the caller's already: reading starts there.
    Download(Channel& channel, std::string handle, std::optional<std::uint64_t> size, std::uint64_t from = 0);
    ~Download();
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // Sends the first requests.
    Status start();

    // Fills `buffer` unless the file ends; 0 in `count` at the end. Fewer
    // bytes than the server's size at the end is a failure, never an end.
    Status read(void* buffer, std::size_t size, std::size_t& count);
    // True when `read` of `size` bytes would not wait for the server: the
    // bytes are here, or the answer bringing them is coming in.
    bool ready(std::size_t size);
    // Closes the remote file and checks the server's answer. `alongside`
    // asks what is to travel with the close, in the same write. Closed
    // before its end, the download is a failure.
    Status finish(const std::function<void()>& alongside = {});

private:
    // The bytes from one offset on, asked by one read request.
    struct Piece {
        std::uint32_t id = 0;
        std::uint32_t length = 0;
        bool answered = false;
        bool endOfFile = false;
        std::string data;
    };

    void topUp();
    void ask(std::uint64_t offset, std::uint32_t length);
    void answer(std::uint64_t offset, Response& response);
    // The bytes ready at the front, in file order, and whether the end is reached.
    std::size_t readyBytes() const;
    void checkEnd();
    Status fail(Status status);

    Channel& channel_;
    std::string handle_;
    std::optional<std::uint64_t> size_;
    // Requests in flight or answered but not yet read, by file offset.
    std::map<std::uint64_t, Piece> pieces_;
    std::size_t takenFromFront_ = 0;  // bytes of the front piece already read
    std::uint32_t requestLength_;
    std::uint64_t nextOffset_ = 0;
    std::uint64_t delivered_ = 0;
    std::uint64_t furthestData_ = 0;
    bool endSeen_ = false;  // some request met the end of the file
    bool ended_ = false;    // every byte before the end is delivered
    std::optional<Status> failure_;
};

} // namespace sftp
