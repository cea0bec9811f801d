#include "sftp/tcp_connect.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sftp {
namespace {

using session::ErrorKind;
using session::Status;
using Clock = std::chrono::steady_clock;

// Shared by the caller and the lookup thread; whoever leaves last frees it.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int error = 0;
    addrinfo* result = nullptr;
    ~Lookup()
    {
        if (result)
            ::freeaddrinfo(result);
    }
};

Status lookUp(const std::string& host, std::uint16_t port, Clock::time_point deadline,
              std::shared_ptr<Lookup>& lookup)
{
    lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, service = std::to_string(port)] {
            addrinfo hints{};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* result = nullptr;
            const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
            std::lock_guard lock(lookup->mutex);
            lookup->error = error;
            lookup->result = result;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return Status::failure(ErrorKind::Network, "Cannot look up the host \"" + host + "\": no thread for it");
    }
    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; }))
        return Status::failure(ErrorKind::Timeout, "Looking up the host \"" + host + "\" took too long");
    if (lookup->error != 0)
        return Status::failure(ErrorKind::Network,
                               "Cannot look up the host \"" + host + "\": " + ::gai_strerror(lookup->error));
    return Status::success();
}

Status connectOne(const addrinfo& address, Clock::time_point deadline, int& fd)
{
    const int socket = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                                address.ai_protocol);
    if (socket < 0)
        return Status::failure(ErrorKind::Network, std::string("Cannot make a socket: ") + std::strerror(errno));
    int error = 0;
    if (::connect(socket, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd waiting{socket, POLLOUT, 0};
            int ready = 0;
            do {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                ready = ::poll(&waiting, 1, int(std::max<long long>(0, left.count())));
            } while (ready < 0 && errno == EINTR);
            if (ready == 0) {
                ::close(socket);
                return Status::failure(ErrorKind::Timeout, "The server did not accept the connection in time");
            }
            socklen_t length = sizeof error;
            if (ready < 0 || ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    if (error != 0) {
        ::close(socket);
        return Status::failure(ErrorKind::Network, std::string("Cannot connect: ") + std::strerror(error));
    }
    // libssh waits on the socket itself, within the session's time-out.
    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) & ~O_NONBLOCK);
    fd = socket;
    return Status::success();
}

} // namespace

Status connectTcp(const std::string& host, std::uint16_t port, Clock::time_point deadline, int& fd)
{
    std::shared_ptr<Lookup> lookup;
    if (Status s = lookUp(host, port, deadline, lookup); !s.ok())
        return s;
    Status last = Status::failure(ErrorKind::Network, "The host \"" + host + "\" has no address");
    for (const addrinfo* address = lookup->result; address; address = address->ai_next) {
        last = connectOne(*address, deadline, fd);
        if (last.ok() || last.kind() == ErrorKind::Timeout)
            return last;
    }
    return last;
}

} // namespace sftp
