#include "ftp/transport/stream.h"

#include <cerrno>
#include <utility>

#include <poll.h>
#include <sys/socket.h>

namespace ftp {

namespace {

// The bytes go straight to and from the kernel: nothing is ever buffered here.
class PlainStream final : public Stream {
public:
    explicit PlainStream(Socket socket) : socket_(std::move(socket)) {}

    IoResult readSome(char* buffer, std::size_t size) override
    {
        const long received = receiveSome(socket_.fd(), buffer, size);
        if (received > 0)
            return {IoResult::State::Moved, std::size_t(received), {}};
        if (received == 0)
            return {IoResult::State::End, 0, {}};
        if (wouldBlock(errno))
            return {IoResult::State::WantRead, 0, {}};
        return {IoResult::State::Failed, 0, Status::failure(ErrorKind::Network, describeError(errno))};
    }

    IoResult writeSome(const char* data, std::size_t size) override
    {
        const long sent = sendSome(socket_.fd(), data, size);
        if (sent > 0)
            return {IoResult::State::Moved, std::size_t(sent), {}};
        if (sent == 0)
            return {IoResult::State::WantWrite, 0, {}};
        return {IoResult::State::Failed, 0, Status::failure(ErrorKind::Network, describeError(errno))};
    }

    std::size_t buffered() const override { return 0; }

    WaitResult wait(IoResult::State want, Deadline deadline) override
    {
        return waitFor(socket_.fd(), want == IoResult::State::WantWrite ? POLLOUT : POLLIN, deadline);
    }

    Status shutdown(Deadline) override
    {
        // Half-close: the peer reads the end of the data, and its replies can still reach us.
        if (::shutdown(socket_.fd(), SHUT_WR) != 0 && errno != ENOTCONN)
            return Status::failure(ErrorKind::Network, describeError(errno));
        return Status::success();
    }

    int fd() const override { return socket_.fd(); }

private:
    Socket socket_;
};

} // namespace

std::unique_ptr<Stream> makePlainStream(Socket socket)
{
    return std::make_unique<PlainStream>(std::move(socket));
}

} // namespace ftp
