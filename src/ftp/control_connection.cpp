#include "ftp/control_connection.h"

#include <cerrno>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>

namespace ftp {

namespace {
constexpr std::size_t receiveChunk = 16 * 1024;
}

Status ControlConnection::connect(const std::string& host, std::uint16_t port, Deadline deadline)
{
    close();
    const Status status = connectToHost(host, port, deadline, socket_);
    if (!status.ok())
        return status;
    // Commands are single small writes; do not let Nagle hold them back.
    const int on = 1;
    (void)::setsockopt(socket_.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return Status::success();
}

void ControlConnection::close()
{
    socket_.close();
    buffer_.clear();
    begin_ = 0;
    (void)assembler_.take();
}

bool ControlConnection::hasPendingInput() const
{
    if (hasBufferedInput())
        return true;
    if (!socket_.valid())
        return false;
    pollfd entry{socket_.fd(), POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
}

Status ControlConnection::send(std::string_view line, Deadline deadline)
{
    if (!socket_.valid())
        return Status::failure(ErrorKind::WrongState, "Not connected to a server");
    std::string wire;
    wire.reserve(line.size() + 2);
    wire.append(line);
    wire.append("\r\n");
    return sendAll(socket_.fd(), wire.data(), wire.size(), deadline);
}

Status ControlConnection::readLine(std::string_view& line, Deadline deadline)
{
    for (;;) {
        const auto newline = buffer_.find('\n', begin_);
        if (newline != std::string::npos) {
            line = std::string_view(buffer_).substr(begin_, newline - begin_);
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

        const std::size_t kept = buffer_.size();
        buffer_.resize(kept + receiveChunk);
        const long received = receiveSome(socket_.fd(), buffer_.data() + kept, receiveChunk);
        const int error = errno;
        buffer_.resize(kept + std::size_t(received > 0 ? received : 0));
        if (received > 0)
            continue;
        if (received == 0)
            return Status::failure(ErrorKind::Network, "The server closed the connection");
        if (!wouldBlock(error))
            return Status::failure(ErrorKind::Network, "Receiving from the server failed: " + describeError(error));
        const WaitResult wait = waitFor(socket_.fd(), POLLIN, deadline);
        if (wait == WaitResult::TimedOut)
            return Status::failure(ErrorKind::Timeout, "The server did not answer in time");
        if (wait == WaitResult::Failed)
            return Status::failure(ErrorKind::Network, "Receiving from the server failed: " + describeError(errno));
    }
}

Status ControlConnection::readReply(Reply& reply, Deadline deadline)
{
    if (!socket_.valid())
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
