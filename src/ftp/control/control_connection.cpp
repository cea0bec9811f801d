#include "ftp/control/control_connection.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include <netinet/in.h>
#include <netinet/tcp.h>

namespace ftp {

namespace {

constexpr std::size_t receiveChunk = 16 * 1024;

// vsftpd, for one, writes its fatal errors ("500 OOPS: cannot change
// directory") in clear text even on an encrypted connection, where the
// encryption layer can only refuse them. Their first line, when the bytes it
// could not decode are a reply, with control characters shown as blanks.
std::optional<std::string> replyInClear(std::string_view bytes)
{
    const std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (line.size() < 4 || ReplyAssembler().feed(line) == ReplyAssembler::Progress::Malformed)
        return std::nullopt;
    std::string text(line);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return text;
}
// The control connection is a Telnet stream: a 0xFF byte of text (in a name)
// travels doubled, so that it is not taken for the Telnet "interpret as
// command" byte (RFC 959, RFC 2640), where the server reads it so. Replies
// are read the same way: vsftpd doubles the byte in them.
constexpr char telnetIac = '\xff';

// Turns each doubled IAC in [begin, begin + size) back into one; the new size.
std::size_t undoubleIac(char* begin, std::size_t size)
{
    char* const end = begin + size;
    char* in = std::find(begin, end, telnetIac);
    char* out = in;
    while (in != end) {
        *out++ = *in;
        in += (*in == telnetIac && in + 1 != end && in[1] == telnetIac) ? 2 : 1;
    }
    return std::size_t(out - begin);
}

// Servers with Nagle's algorithm on hold a reply back until we acknowledged
// the one before: inetutils ftpd's "226" waits for the ACK of its "150",
// which the system delays by 40 ms when nothing goes back, on every
// transfer. Asked before each read, the system acknowledges at once.
void acknowledgeAtOnce(int fd)
{
#ifdef TCP_QUICKACK
    const int on = 1;
    (void)::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#else
    (void)fd;
#endif
}

} // namespace

Status ControlConnection::connect(const std::string& host, std::uint16_t port, Deadline deadline)
{
    close();
    byteFF_ = ByteFF::Unknown;
    Socket socket;
    const Status status = statusOf(connectToHost(host, port, deadline, socket));
    if (!status.ok())
        return status;
    // Commands are single small writes; do not let Nagle hold them back.
    const int on = 1;
    (void)::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    stream_ = makePlainStream(std::move(socket));
    return Status::success();
}

void ControlConnection::close()
{
    stream_.reset();
    buffer_.clear();
    begin_ = 0;
    (void)assembler_.take();
}

std::unique_ptr<Stream> ControlConnection::takeStream()
{
    if (hasBufferedInput())
        return nullptr;
    return std::move(stream_);
}

void ControlConnection::setStream(std::unique_ptr<Stream> stream)
{
    stream_ = std::move(stream);
    buffer_.clear();
    begin_ = 0;
}

bool ControlConnection::hasBufferedInput() const
{
    return begin_ < buffer_.size() || (stream_ && stream_->buffered() > 0);
}

bool ControlConnection::receiveMore(IoResult::State& want, Status& failure)
{
    acknowledgeAtOnce(stream_->fd());
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + receiveChunk);
    const IoResult result = stream_->readSome(buffer_.data() + kept, receiveChunk);
    buffer_.resize(kept + (result.state == IoResult::State::Moved ? result.count : 0));
    want = result.state;
    switch (result.state) {
    case IoResult::State::Moved:
        return true;
    case IoResult::State::WantRead:
    case IoResult::State::WantWrite:
        break;
    case IoResult::State::End:
        failure = Status::failure(ErrorKind::Network, "The server closed the connection");
        break;
    case IoResult::State::Failed:
        if (const auto reply = replyInClear(stream_->undecodedInput())) {
            failure = Status::failure(ErrorKind::Network, "Receiving from the server failed: "
                                                              "the server answered outside the encryption: " + *reply);
        } else {
            failure = Status::failure(result.error.kind(),
                                      "Receiving from the server failed: " + result.error.message());
        }
        break;
    }
    return false;
}

bool ControlConnection::hasPendingInput()
{
    if (begin_ < buffer_.size())
        return true;
    if (!stream_)
        return false;
    buffer_.clear();
    begin_ = 0;
    IoResult::State want{};
    Status failure;
    return receiveMore(want, failure) || !failure.ok();
}

Status ControlConnection::send(std::string_view line, Deadline deadline)
{
    if (!stream_)
        return Status::failure(ErrorKind::WrongState, "Not connected to a server");
    // CR or LF would end the command early and let the rest pass for another
    // command; NUL ends it early on many servers. Whatever a caller checked,
    // no such line leaves here.
    if (!isSafeArgument(line))
        return Status::failure(ErrorKind::InvalidArgument,
                               "The command contains a line break or NUL character and cannot be sent");
    std::string wire;
    wire.reserve(line.size() + 2);
    for (const char c : line) {
        wire += c;
        if (c == telnetIac && byteFF_ != ByteFF::AsIs)
            wire += c;
    }
    wire.append("\r\n");
    return writeAll(*stream_, wire.data(), wire.size(), deadline);
}

Status ControlConnection::readLine(std::string_view& line, Deadline deadline)
{
    for (;;) {
        const auto newline = buffer_.find('\n', begin_);
        if (newline != std::string::npos) {
            line = std::string_view(buffer_.data() + begin_, undoubleIac(buffer_.data() + begin_, newline - begin_));
            begin_ = newline + 1;
            if (line.size() > maxLineLength)
                return Status::failure(ErrorKind::Protocol, "The server sent a reply line that is too long");
            return Status::success();
        }
        // Keep only the unfinished line, and never more than the longest line allowed.
        buffer_.erase(0, begin_);
        begin_ = 0;
        if (buffer_.size() > maxLineLength)
            return Status::failure(ErrorKind::Protocol, "The server sent a reply line that is too long");

        IoResult::State want{};
        Status failure;
        if (receiveMore(want, failure))
            continue;
        if (!failure.ok())
            return failure;
        const WaitResult wait = stream_->wait(want, deadline);
        if (wait == WaitResult::TimedOut)
            return Status::failure(ErrorKind::Timeout, "The server did not answer in time");
        if (wait == WaitResult::Failed)
            return Status::failure(ErrorKind::Network, "Receiving from the server failed: " + describeError(errno));
    }
}

Status ControlConnection::readReply(Reply& reply, Deadline deadline)
{
    if (!stream_)
        return Status::failure(ErrorKind::WrongState, "Not connected to a server");
    for (;;) {
        std::string_view line;
        const Status status = readLine(line, deadline);
        if (!status.ok())
            return status;
        switch (assembler_.feed(line)) {
        case ReplyAssembler::Progress::NeedMore:
            continue;
        case ReplyAssembler::Progress::Complete:
            reply = assembler_.take();
            return Status::success();
        case ReplyAssembler::Progress::Malformed: {
            std::string shown(line.substr(0, 80));
            for (char& c : shown) {
                if (static_cast<unsigned char>(c) < 32)
                    c = ' ';
            }
            return Status::failure(ErrorKind::Protocol, "The server sent a malformed reply: \"" + shown + "\"");
        }
        case ReplyAssembler::Progress::TooLarge:
            (void)assembler_.take();
            return Status::failure(ErrorKind::Protocol, "The server sent a reply that is too long");
        }
    }
}

} // namespace ftp
