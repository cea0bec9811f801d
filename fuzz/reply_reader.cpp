// Control-connection replies as a server sends them: the input arrives on a
// real loopback connection, which is closed after the last byte, and is read
// reply by reply until the reader gives up. Every way out must be a reply or
// a failure, never a crash or a wait without end.
#include "ftp/control/control_connection.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

// Closing with a reset leaves no TIME_WAIT behind: a run makes millions of
// connections and would otherwise run out of ports.
void closeAtOnce(int fd)
{
    const linger reset{1, 0};
    (void)::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(fd);
}

class Listener {
public:
    Listener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        require(fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0
                && ::listen(fd_, 4) == 0
                && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        port_ = ntohs(address.sin_port);
    }
    std::uint16_t port() const { return port_; }
    int accept() const { return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC); }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Listener listener;
    ftp::ControlConnection connection;
    const auto deadline = ftp::deadlineAfter(std::chrono::seconds(20));
    require(connection.connect("127.0.0.1", listener.port(), deadline).ok());
    const int server = listener.accept();
    require(server >= 0);

    // The server writes from its own thread, so inputs larger than the
    // socket buffers cannot stall the reader.
    std::thread writer([server, data, size] {
        for (std::size_t sent = 0; sent < size;) {
            const ssize_t n = ::send(server, data + sent, size - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += std::size_t(n);
        }
        ::shutdown(server, SHUT_WR);
    });

    for (;;) {
        ftp::Reply reply;
        if (!connection.readReply(reply, deadline).ok())
            break;
        require(ftp::classify(reply.code) != ftp::ReplyClass::Invalid);
        require(ftp::replyLineCode(reply.text) == reply.code);
        require(reply.text.size() <= ftp::ReplyAssembler::maxReplySize);
    }
    // A reader that stopped early (a line too long) leaves the writer blocked
    // on a full buffer: the reset below ends its send.
    closeAtOnce(connection.fd());
    connection.close();
    writer.join();
    closeAtOnce(server);
    return 0;
}
