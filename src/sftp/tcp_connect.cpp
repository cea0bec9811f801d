#include "sftp/tcp_connect.h"

#include "net/socket.h"

#include <fcntl.h>

namespace sftp {

session::Status connectTcp(const std::string& host, std::uint16_t port, std::chrono::steady_clock::time_point deadline,
                           int& fd)
{
    net::Socket socket;
    if (session::Status s = net::connectToHost(host, port, deadline, socket); !s.ok())
        return s;
    // libssh waits on the socket itself, within the session's time-out.
    ::fcntl(socket.fd(), F_SETFL, ::fcntl(socket.fd(), F_GETFL) & ~O_NONBLOCK);
    fd = socket.release();
    return session::Status::success();
}

} // namespace sftp
