#include "ftp/socket.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace ftp {

namespace {

int millisecondsUntil(Deadline deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    // Round up so a wait never ends a hair before the deadline and spins.
    return left > 1000000 ? 1000000 : int(left) + 1;
}

Status connectOnce(const sockaddr* address, socklen_t length, Deadline deadline, Socket& result)
{
    Socket socket(::socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        return Status::failure(ErrorKind::Network, "Cannot create a socket: " + describeError(errno));
    if (::connect(socket.fd(), address, length) != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            return Status::failure(ErrorKind::Network, "Cannot connect: " + describeError(errno));
        switch (waitFor(socket.fd(), POLLOUT, deadline)) {
        case WaitResult::TimedOut:
            return Status::failure(ErrorKind::Timeout, "The server did not accept the connection in time");
        case WaitResult::Failed:
            return Status::failure(ErrorKind::Network, "Cannot connect: " + describeError(errno));
        case WaitResult::Ready:
            break;
        }
        int error = 0;
        socklen_t errorLength = sizeof error;
        if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &errorLength) != 0)
            error = errno;
        if (error != 0)
            return Status::failure(ErrorKind::Network, "Cannot connect: " + describeError(error));
    }
    result = std::move(socket);
    return Status::success();
}

} // namespace

Socket& Socket::operator=(Socket&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

int Socket::release()
{
    return std::exchange(fd_, -1);
}

void Socket::close()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

WaitResult waitFor(int fd, short events, Deadline deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, millisecondsUntil(deadline));
        if (ready > 0)
            return WaitResult::Ready;
        if (ready == 0) {
            if (Clock::now() >= deadline)
                return WaitResult::TimedOut;
            continue;
        }
        if (errno != EINTR)
            return WaitResult::Failed;
    }
}

Status connectToHost(const std::string& host, std::uint16_t port, Deadline deadline, Socket& socket)
{
    if (host.empty())
        return Status::failure(ErrorKind::InvalidArgument, "No host name was given");
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (error != 0) {
        return Status::failure(ErrorKind::Network,
                               "Cannot find the host \"" + host + "\": " + ::gai_strerror(error));
    }
    Status last = Status::failure(ErrorKind::Network, "Cannot connect to \"" + host + "\"");
    for (const addrinfo* candidate = found; candidate; candidate = candidate->ai_next) {
        last = connectOnce(candidate->ai_addr, candidate->ai_addrlen, deadline, socket);
        if (last.ok() || last.kind() == ErrorKind::Timeout)
            break;
    }
    ::freeaddrinfo(found);
    return last;
}

Status connectToAddress(const SocketAddress& address, Deadline deadline, Socket& socket)
{
    return connectOnce(reinterpret_cast<const sockaddr*>(&address.storage), address.length, deadline, socket);
}

bool peerAddress(int fd, SocketAddress& address)
{
    address.length = sizeof address.storage;
    return ::getpeername(fd, reinterpret_cast<sockaddr*>(&address.storage), &address.length) == 0;
}

void setPort(SocketAddress& address, std::uint16_t port)
{
    if (address.storage.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = htons(port);
}

long sendSome(int fd, const char* data, std::size_t size)
{
    for (;;) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent >= 0)
            return long(sent);
        if (errno == EINTR)
            continue;
        return wouldBlock(errno) ? 0 : -1;
    }
}

long receiveSome(int fd, char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t received = ::recv(fd, buffer, size, 0);
        if (received >= 0 || errno != EINTR)
            return long(received);
    }
}

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

Status sendAll(int fd, const char* data, std::size_t size, Deadline deadline)
{
    while (size > 0) {
        const long sent = sendSome(fd, data, size);
        if (sent < 0)
            return Status::failure(ErrorKind::Network, "Sending to the server failed: " + describeError(errno));
        if (sent == 0) {
            const WaitResult wait = waitFor(fd, POLLOUT, deadline);
            if (wait == WaitResult::TimedOut)
                return Status::failure(ErrorKind::Timeout, "The server stopped accepting data");
            if (wait == WaitResult::Failed)
                return Status::failure(ErrorKind::Network, "Sending to the server failed: " + describeError(errno));
            continue;
        }
        data += sent;
        size -= std::size_t(sent);
    }
    return Status::success();
}

std::string describeError(int error) { return std::strerror(error); }

} // namespace ftp
