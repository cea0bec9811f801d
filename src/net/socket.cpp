#include "net/socket.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace net {

namespace {

int millisecondsUntil(Deadline deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    // Round up so a wait never ends a hair before the deadline and spins.
    return left > 1000000 ? 1000000 : int(left) + 1;
}

Result startConnect(const sockaddr* address, socklen_t length, Socket& result)
{
    Socket socket(::socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        return Result::failure(Failure::Network, "Cannot create a socket: " + describeError(errno));
    if (::connect(socket.fd(), address, length) != 0 && errno != EINPROGRESS && errno != EINTR)
        return Result::failure(Failure::Network, "Cannot connect: " + describeError(errno));
    result = std::move(socket);
    return Result::success();
}

Result connectOnce(const sockaddr* address, socklen_t length, Deadline deadline, Socket& result)
{
    Socket socket;
    if (Result s = startConnect(address, length, socket); !s.ok())
        return s;
    if (Result s = finishConnect(socket, deadline); !s.ok())
        return s;
    result = std::move(socket);
    return Result::success();
}

// One host-name lookup on a helper thread, so that a resolver that does not
// answer cannot hold the caller past its deadline. The state is shared: when
// the caller gives up first, the thread finishes alone and frees the answer.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int error = 0;
    addrinfo* found = nullptr;

    ~Lookup()
    {
        if (found)
            ::freeaddrinfo(found);
    }
};

// The addresses of `host`, or why there are none, before `deadline`.
Result lookUp(const std::string& host, std::uint16_t port, Deadline deadline, addrinfo*& found)
{
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, service = std::to_string(port)] {
            addrinfo hints{};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            hints.ai_protocol = IPPROTO_TCP;
            addrinfo* result = nullptr;
            const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
            const std::lock_guard lock(lookup->mutex);
            lookup->error = error;
            lookup->found = result;
            lookup->finished = true;
            lookup->done.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        return Result::failure(Failure::Network, "Cannot look up the host \"" + host + "\": no thread for it");
    }
    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; })) {
        return Result::failure(Failure::Timeout, "The host name \"" + host + "\" could not be looked up in time");
    }
    if (lookup->error != 0) {
        return Result::failure(Failure::Network,
                               "Cannot find the host \"" + host + "\": " + ::gai_strerror(lookup->error));
    }
    found = std::exchange(lookup->found, nullptr);
    return Result::success();
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

Result connectToHost(const std::string& host, std::uint16_t port, Deadline deadline, Socket& socket)
{
    if (host.empty())
        return Result::failure(Failure::InvalidArgument, "No host name was given");
    addrinfo* found = nullptr;
    if (Result s = lookUp(host, port, deadline, found); !s.ok())
        return s;
    std::size_t left = 0;
    for (const addrinfo* candidate = found; candidate; candidate = candidate->ai_next)
        ++left;
    // A host with an address that swallows packets (a broken IPv6 route, a
    // stale record) must not use up the whole wait: each address gets its
    // share of what is left, and the next one is tried after it.
    Result last = Result::failure(Failure::Network, "Cannot connect to \"" + host + "\"");
    for (const addrinfo* candidate = found; candidate; candidate = candidate->ai_next, --left) {
        const auto now = Clock::now();
        const Deadline share = now >= deadline ? deadline : now + (deadline - now) / static_cast<long>(left);
        last = connectOnce(candidate->ai_addr, candidate->ai_addrlen, share, socket);
        if (last.ok() || Clock::now() >= deadline)
            break;
    }
    ::freeaddrinfo(found);
    return last;
}

Result startConnect(const SocketAddress& address, Socket& socket)
{
    return startConnect(reinterpret_cast<const sockaddr*>(&address.storage), address.length, socket);
}

Result finishConnect(const Socket& socket, Deadline deadline)
{
    switch (waitFor(socket.fd(), POLLOUT, deadline)) {
    case WaitResult::TimedOut:
        return Result::failure(Failure::Timeout, "The server did not accept the connection in time");
    case WaitResult::Failed:
        return Result::failure(Failure::Network, "Cannot connect: " + describeError(errno));
    case WaitResult::Ready:
        break;
    }
    int error = 0;
    socklen_t errorLength = sizeof error;
    if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &errorLength) != 0)
        error = errno;
    if (error != 0)
        return Result::failure(Failure::Network, "Cannot connect: " + describeError(error));
    return Result::success();
}

Result connectToAddress(const SocketAddress& address, Deadline deadline, Socket& socket)
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

Result sendAll(int fd, const char* data, std::size_t size, Deadline deadline)
{
    while (size > 0) {
        const long sent = sendSome(fd, data, size);
        if (sent < 0)
            return Result::failure(Failure::Network, "Sending to the server failed: " + describeError(errno));
        if (sent == 0) {
            const WaitResult wait = waitFor(fd, POLLOUT, deadline);
            if (wait == WaitResult::TimedOut)
                return Result::failure(Failure::Timeout, "The server stopped accepting data");
            if (wait == WaitResult::Failed)
                return Result::failure(Failure::Network, "Sending to the server failed: " + describeError(errno));
            continue;
        }
        data += sent;
        size -= std::size_t(sent);
    }
    return Result::success();
}

std::string describeError(int error) { return std::strerror(error); }

} // namespace net
