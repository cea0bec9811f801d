#pragma once
// Thin POSIX socket helpers for the protocol engines: non-blocking,
// close-on-exec TCP sockets whose every wait is bounded by a deadline, and a
// host-name lookup that cannot outlast it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include <sys/socket.h>

namespace net {

// How a connect or a send ended: the sockets speak no protocol, so each
// engine turns this into its own session's status.
enum class Failure {
    None,
    InvalidArgument,  // nothing to connect to: no host name
    Network,          // the lookup, the connect or the send failed
    Timeout,          // the deadline passed first
};

class [[nodiscard]] Result {
public:
    Result() = default;
    static Result success() { return Result(); }
    static Result failure(Failure failure, std::string message)
    {
        Result result;
        result.failure_ = failure;
        result.message_ = std::move(message);
        return result;
    }

    bool ok() const { return failure_ == Failure::None; }
    Failure failure() const { return failure_; }
    const std::string& message() const { return message_; }

private:
    Failure failure_ = Failure::None;
    std::string message_;
};

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

inline Deadline deadlineAfter(std::chrono::milliseconds timeout) { return Clock::now() + timeout; }

// An owned socket descriptor, closed on destruction.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void close();

private:
    int fd_ = -1;
};

struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

enum class WaitResult { Ready, TimedOut, Failed };

// Waits until `fd` has one of `events` (POLLIN/POLLOUT); errors and hang-ups count as ready
// so the following call reports them.
WaitResult waitFor(int fd, short events, Deadline deadline);

// Resolves `host` (IPv4 or IPv6) and connects to the first address that answers before `deadline`.
Result connectToHost(const std::string& host, std::uint16_t port, Deadline deadline, Socket& socket);
// Connects to one address before `deadline`.
Result connectToAddress(const SocketAddress& address, Deadline deadline, Socket& socket);
// The same in two halves, so that other work overlaps the connect's round
// trip: starts connecting without waiting, then waits for the outcome.
Result startConnect(const SocketAddress& address, Socket& socket);
Result finishConnect(const Socket& socket, Deadline deadline);

// The address at the other end of a connected socket.
bool peerAddress(int fd, SocketAddress& address);
void setPort(SocketAddress& address, std::uint16_t port);

// Sends every byte before `deadline` (never raises SIGPIPE).
Result sendAll(int fd, const char* data, std::size_t size, Deadline deadline);

// One send()/recv() without waiting: the count moved, 0 for "would block"
// (send) or end of stream (recv), -1 on error with errno set.
long sendSome(int fd, const char* data, std::size_t size);
long receiveSome(int fd, char* buffer, std::size_t size);
bool wouldBlock(int error);

std::string describeError(int error);

} // namespace net
