#pragma once
// The control connection: command lines out, replies in. Reading is bounded:
// a line longer than maxLineLength, or a reply larger than the assembler's
// cap, fails instead of growing the buffer.

#include "reply.h"
#include "socket.h"
#include "status.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ftp {

class ControlConnection {
public:
    static constexpr std::size_t maxLineLength = 64 * 1024;

    Status connect(const std::string& host, std::uint16_t port, Deadline deadline);
    bool isConnected() const { return socket_.valid(); }
    int fd() const { return socket_.fd(); }
    void close();

    // Sends `line` followed by CRLF. The caller has checked its arguments.
    Status send(std::string_view line, Deadline deadline);
    // Reads one whole reply, single or multi-line.
    Status readReply(Reply& reply, Deadline deadline);
    // True when part of a reply has already arrived and waits in the buffer.
    bool hasBufferedInput() const { return begin_ < buffer_.size(); }
    // True when something from the server waits to be read, buffered or not.
    bool hasPendingInput() const;

private:
    Status readLine(std::string_view& line, Deadline deadline);

    Socket socket_;
    std::string buffer_;
    std::size_t begin_ = 0;
    ReplyAssembler assembler_;
};

} // namespace ftp
