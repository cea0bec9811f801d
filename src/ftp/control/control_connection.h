#pragma once
// The control connection: command lines out, replies in, over a Stream that
// can be swapped for a wrapped one (encryption) between two replies. Reading
// is bounded: a line longer than maxLineLength, or a reply larger than the
// assembler's cap, fails instead of growing the buffer.

#include "ftp/control/reply.h"
#include "ftp/transport/socket.h"
#include "ftp/status.h"
#include "ftp/transport/stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ftp {

class ControlConnection {
public:
    static constexpr std::size_t maxLineLength = 64 * 1024;

    Status connect(const std::string& host, std::uint16_t port, Deadline deadline);
    bool isConnected() const { return stream_ != nullptr; }
    // The socket under the stream (peer address, polling); -1 when closed.
    int fd() const { return stream_ ? stream_->fd() : -1; }
    void close();

    // Hands the stream out so a layer can be wrapped around it, and takes the
    // wrapped one back. Only between replies: input already buffered here
    // belongs to the old layer, so takeStream() refuses (returns null) then.
    std::unique_ptr<Stream> takeStream();
    void setStream(std::unique_ptr<Stream> stream);
    // The stream in use, for a layer to ask what it knows; null when closed.
    const Stream* stream() const { return stream_.get(); }

    // How this server reads a 0xFF byte in a command line. RFC 959 and RFC
    // 2640 make it the Telnet "interpret as command" byte, so that a 0xFF of
    // a name travels doubled; ProFTPD and the BSD ftpd read it so, but
    // vsftpd, pure-ftpd and pyftpdlib take every byte as it comes and would
    // look for a name holding two. Unknown (sent doubled, the standard's
    // way) until the session finds out; a new connection starts over.
    enum class ByteFF { Unknown, Doubled, AsIs };
    ByteFF byteFF() const { return byteFF_; }
    void setByteFF(ByteFF reading) { byteFF_ = reading; }

    // Sends `line` followed by CRLF, each 0xFF as byteFF() says; refuses,
    // sending nothing, a line holding CR, LF or NUL.
    Status send(std::string_view line, Deadline deadline);
    // Reads one whole reply, single or multi-line.
    Status readReply(Reply& reply, Deadline deadline);
    // True when part of a reply has already arrived and waits in a buffer.
    bool hasBufferedInput() const;
    // True when something from the server waits to be read. Never waits: it
    // takes what the stream holds without blocking, so bytes that carry no
    // reply (a TLS record of its own, say) do not count. An end or a broken
    // stream counts, so that the next read reports it.
    bool hasPendingInput();

private:
    // One read without waiting. False when nothing came (WantRead/WantWrite
    // stored in `want`), or on an end or failure (stored in `failure`).
    bool receiveMore(IoResult::State& want, Status& failure);
    Status readLine(std::string_view& line, Deadline deadline);

    std::unique_ptr<Stream> stream_;
    std::string buffer_;
    std::size_t begin_ = 0;
    ReplyAssembler assembler_;
    ByteFF byteFF_ = ByteFF::Unknown;
};

} // namespace ftp
