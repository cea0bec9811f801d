#include "sftp/agent_probe.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace sftp {
namespace {

// The agent protocol's request for identities and the answer's type.
constexpr unsigned char requestIdentities = 11;
constexpr unsigned char identitiesAnswer = 12;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Waits for `events` on `fd` until `deadline`; false when the time ran out or the wait failed.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, int(left.count()));
        if (ready > 0)
            return (entry.revents & events) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

namespace {

// A non-blocking connection to the agent, made before `deadline`; -1 when none.
int connectBefore(const std::string& socketPath, std::chrono::steady_clock::time_point deadline)
{
    sockaddr_un address{};
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        int error = 0;
        socklen_t length = sizeof error;
        if ((errno != EINPROGRESS && errno != EAGAIN) || !waitFor(fd, POLLOUT, deadline)
            || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

} // namespace

int connectAgent(const std::string& socketPath, std::chrono::milliseconds wait)
{
    const int fd = connectBefore(socketPath, std::chrono::steady_clock::now() + wait);
    // libssh reads and writes as if the socket blocked, as its own does.
    if (fd >= 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

AgentDeadline::AgentDeadline(int fd, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    watcher_ = std::thread([this, fd, deadline] {
        std::unique_lock lock(mutex_);
        if (!wake_.wait_until(lock, deadline, [this] { return done_; }))
            ::shutdown(fd, SHUT_RDWR);
    });
}

AgentDeadline::~AgentDeadline()
{
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
    }
    wake_.notify_one();
    watcher_.join();
}

bool agentAnswers(const std::string& socketPath, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const Descriptor socket(connectBefore(socketPath, deadline));
    if (socket.get() < 0)
        return false;
    const unsigned char request[] = {0, 0, 0, 1, requestIdentities};
    if (::send(socket.get(), request, sizeof request, MSG_NOSIGNAL) != ssize_t(sizeof request))
        return false;
    // The length and the type are enough: the keys themselves are libssh's to read.
    unsigned char answer[5];
    std::size_t got = 0;
    while (got < sizeof answer) {
        if (!waitFor(socket.get(), POLLIN, deadline))
            return false;
        const ssize_t count = ::recv(socket.get(), answer + got, sizeof answer - got, 0);
        if (count <= 0) {
            if (count < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            return false;
        }
        got += std::size_t(count);
    }
    return answer[4] == identitiesAnswer;
}

} // namespace sftp
