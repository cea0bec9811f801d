// Preloaded into a measured client (LD_PRELOAD) so that connect() to the
// proxy's address takes one round trip, as the SYN and SYN-ACK of a real link
// do; loopback would complete it at once. The proxy adds the ACK's trip.
//
//   CORVELL_WAN_CONNECT_MS   the round trip in milliseconds (unset: no delay)
//
// A blocking connect() sleeps the round trip. A non-blocking one returns
// EINPROGRESS at once, as on a real link: a thread makes the connection a
// round trip later, and until then poll() does not report the socket at all.
// A client that sends on another connection while TCP connects gains what it
// would gain on a real link, and one that waits for the connection loses what
// it would.
//
// Only TCP connections to the IPv6 loopback address are delayed: the proxy
// listens there, and nothing else the clients open (name lookups, local
// sockets) should pay for a link it does not cross.

#include <dlfcn.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using ConnectFunction = int (*)(int, const sockaddr*, socklen_t);
using PollFunction = int (*)(pollfd*, nfds_t, int);
using CloseFunction = int (*)(int);

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool crossesLink(int fd, const sockaddr* address)
{
    if (address == nullptr || address->sa_family != AF_INET6)
        return false;
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    if (!IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr))
        return false;
    int type = 0;
    socklen_t length = sizeof type;
    return getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_STREAM;
}

Clock::duration roundTrip()
{
    const char* text = std::getenv("CORVELL_WAN_CONNECT_MS");
    const double ms = text != nullptr ? std::atof(text) : 0.0;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(std::max(ms, 0.0)));
}

void sleepFor(Clock::duration span)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(span).count();
    timespec left{};
    left.tv_sec = static_cast<time_t>(ns / 1000000000);
    left.tv_nsec = static_cast<long>(ns % 1000000000);
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

// Sockets whose connection is still "on its way", each made by a thread of
// its own once the round trip has passed. Under the lock, so that close()
// cannot slip between the check and the connect.
struct Pending {
    int fd = -1;
    bool connected = false;
    Clock::time_point ready;
    unsigned generation = 0;  // tells a reused descriptor from the one the thread is for
};
constexpr int maxPending = 64;
Pending pending[maxPending];
std::mutex pendingLock;

void connectLater(int fd, sockaddr_storage address, socklen_t length, Clock::duration delay,
                  ConnectFunction real)
{
    Pending* slot = nullptr;
    {
        std::lock_guard lock(pendingLock);
        for (Pending& entry : pending) {
            if (entry.fd == fd || (slot == nullptr && entry.fd < 0))
                slot = &entry;
        }
        if (slot == nullptr) {  // more at once than the table holds: no delay for this one
            real(fd, reinterpret_cast<sockaddr*>(&address), length);
            return;
        }
        *slot = {fd, false, Clock::now() + delay, slot->generation + 1};
    }
    const unsigned generation = slot->generation;
    std::thread([=] {
        sleepFor(delay);
        std::lock_guard lock(pendingLock);
        if (slot->fd != fd || slot->generation != generation || slot->connected)
            return;  // closed meanwhile
        const int saved = errno;
        real(fd, reinterpret_cast<const sockaddr*>(&address), length);
        errno = saved;
        slot->connected = true;
    }).detach();
}

void forget(int fd)
{
    std::lock_guard lock(pendingLock);
    for (Pending& entry : pending) {
        if (entry.fd == fd)
            entry.fd = -1;
    }
}

// True, with the moment to look again, while `fd`'s connection is on its way.
bool onItsWay(int fd, Clock::time_point now, Clock::time_point& lookAgain)
{
    std::lock_guard lock(pendingLock);
    for (Pending& entry : pending) {
        if (entry.fd != fd || fd < 0)
            continue;
        if (entry.connected) {
            entry.fd = -1;
            return false;
        }
        lookAgain = std::max(entry.ready, now + std::chrono::milliseconds(1));
        return true;
    }
    return false;
}

} // namespace

extern "C" int connect(int fd, const sockaddr* address, socklen_t length)
{
    static const auto real = next<ConnectFunction>("connect");
    if (real == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    const Clock::duration delay = roundTrip();
    if (delay == Clock::duration::zero() || !crossesLink(fd, address))
        return real(fd, address, length);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_NONBLOCK) == 0) {
        const int saved = errno;
        sleepFor(delay);
        errno = saved;
        return real(fd, address, length);
    }
    if (length > sizeof(sockaddr_storage)) {
        errno = EINVAL;
        return -1;
    }
    sockaddr_storage copy{};
    std::memcpy(&copy, address, length);
    connectLater(fd, copy, length, delay, real);
    errno = EINPROGRESS;
    return -1;
}

extern "C" int poll(pollfd* fds, nfds_t count, int timeout)
{
    static const auto real = next<PollFunction>("poll");
    const Clock::time_point start = Clock::now();
    for (;;) {
        const Clock::time_point now = Clock::now();
        // A socket whose connection is on its way is left out; wake when it may have arrived.
        Clock::time_point wake = Clock::time_point::max();
        int hidden[64];
        const nfds_t checked = std::min<nfds_t>(count, 64);
        for (nfds_t i = 0; i < checked; ++i) {
            hidden[i] = -1;
            Clock::time_point lookAgain;
            if (onItsWay(fds[i].fd, now, lookAgain)) {
                hidden[i] = fds[i].fd;
                fds[i].fd = -1;
                wake = std::min(wake, lookAgain);
            }
        }
        int wait = timeout;
        if (wake != Clock::time_point::max()) {
            const auto untilWake = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
            int left = timeout;
            if (timeout >= 0) {
                const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
                left = int(std::max<long long>(0, timeout - spent));
            }
            wait = left < 0 ? int(untilWake) : int(std::min<long long>(left, untilWake));
        }
        const int result = real(fds, count, wait);
        for (nfds_t i = 0; i < checked; ++i) {
            if (hidden[i] >= 0) {
                fds[i].fd = hidden[i];
                fds[i].revents = 0;
            }
        }
        if (result < 0)
            return result;
        int reported = 0;
        for (nfds_t i = 0; i < count; ++i)
            reported += fds[i].revents != 0 ? 1 : 0;
        if (reported > 0 || wake == Clock::time_point::max())
            return reported;
        if (timeout >= 0 && Clock::now() - start >= std::chrono::milliseconds(timeout))
            return 0;
    }
}

extern "C" int close(int fd)
{
    static const auto real = next<CloseFunction>("close");
    forget(fd);
    return real(fd);
}
