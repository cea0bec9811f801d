// Preloaded into a measured client (LD_PRELOAD) so that connect() to the
// proxy's address takes one round trip, as the SYN and SYN-ACK of a real link
// do; loopback would complete it at once. The proxy adds the ACK's trip.
//
//   CORVELL_WAN_CONNECT_MS   the round trip in milliseconds (unset: no delay)
//
// Only TCP connections to the IPv6 loopback address are delayed: the proxy
// listens there, and nothing else the clients open (name lookups, local
// sockets) should pay for a link it does not cross.

#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace {

using ConnectFunction = int (*)(int, const sockaddr*, socklen_t);

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

void sleepRoundTrip()
{
    const char* text = std::getenv("CORVELL_WAN_CONNECT_MS");
    const double ms = text != nullptr ? std::atof(text) : 0.0;
    if (ms <= 0)
        return;
    timespec left{};
    left.tv_sec = static_cast<time_t>(ms / 1000);
    left.tv_nsec = static_cast<long>((ms - double(left.tv_sec) * 1000) * 1e6);
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace

extern "C" int connect(int fd, const sockaddr* address, socklen_t length)
{
    static const auto next = reinterpret_cast<ConnectFunction>(dlsym(RTLD_NEXT, "connect"));
    if (next == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    if (crossesLink(fd, address)) {
        const int saved = errno;
        sleepRoundTrip();
        errno = saved;
    }
    return next(fd, address, length);
}
