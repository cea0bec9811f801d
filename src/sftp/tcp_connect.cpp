#include "sftp/tcp_connect.h"

#include "net/socket.h"

#include <fcntl.h>

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
    // libssh waits on the socket itself, within the session's time-out.
    ::fcntl(socket.fd(), F_SETFL, ::fcntl(socket.fd(), F_GETFL) & ~O_NONBLOCK);
    fd = socket.release();
    return session::Status::success();
}

} // namespace sftp
