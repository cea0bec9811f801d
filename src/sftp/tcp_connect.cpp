#include "sftp/tcp_connect.h"

#include "net/socket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace sftp {

session::Status connectTcp(const std::string& host, std::uint16_t port, std::chrono::steady_clock::time_point deadline,
                           int& fd)
{
    net::Socket socket;
    if (const net::Result result = net::connectToHost(host, port, deadline, socket); !result.ok()) {
        const auto kind = result.failure() == net::Failure::Timeout           ? session::ErrorKind::Timeout
                          : result.failure() == net::Failure::InvalidArgument ? session::ErrorKind::InvalidArgument
                                                                              : session::ErrorKind::Network;
        return session::Status::failure(kind, result.message());
    }
    // Each request goes out as one small SSH packet, often with another
    // right behind it: held back for the acknowledgement of the one before
    // (Nagle), it would wait for the server's delayed ACK, 40 ms on Linux.
    const int on = 1;
    (void)::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // libssh waits on the socket itself, within the session's time-out.
    ::fcntl(socket.fd(), F_SETFL, ::fcntl(socket.fd(), F_GETFL) & ~O_NONBLOCK);
    fd = socket.release();
    return session::Status::success();
}

} // namespace sftp
