#include "sftp/proxy_jump.h"

#include "sftp/ssh_config.h"
#include "sftp/ssh_link.h"

#include <atomic>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sftp {

using session::ErrorKind;
using session::Status;

struct JumpBridge::State {
    SshLink jump;
    ssh_channel channel = nullptr;
    int fd = -1;  // our end of the pair
    std::atomic<bool> stop{false};
    std::thread pump;

    ~State()
    {
        stop = true;
        if (pump.joinable())
            pump.join();
        if (channel) {
            ssh_channel_free(channel);
            channel = nullptr;
        }
        jump.drop(false);
        if (fd >= 0)
            ::close(fd);
    }

    // Carries bytes both ways until either side ends or the bridge is
    // dropped. Each pass waits at most a short tick, so a drop is seen at once.
    void carry()
    {
        ssh_session ssh = jump.get();
        ssh_set_blocking(ssh, 0);
        char down[32768], up[32768];
        std::size_t downLength = 0, downSent = 0, upLength = 0, upSent = 0;
        bool serverEnded = false;
        while (!stop) {
            if (downSent == downLength && !serverEnded) {
                const int count = ssh_channel_read_nonblocking(channel, down, sizeof down, 0);
                if (count == SSH_ERROR)
                    break;
                downLength = std::size_t(count > 0 ? count : 0);
                downSent = 0;
                if (count == SSH_EOF || (count == 0 && ssh_channel_is_eof(channel))) {
                    // The server closed: the session on the pair sees the end.
                    ::shutdown(fd, SHUT_WR);
                    serverEnded = true;
                }
            }
            if (downSent < downLength) {
                const ssize_t sent = ::send(fd, down + downSent, downLength - downSent, MSG_DONTWAIT | MSG_NOSIGNAL);
                if (sent < 0 && errno != EAGAIN && errno != EINTR)
                    break;
                downSent += std::size_t(sent > 0 ? sent : 0);
            }
            if (upSent == upLength) {
                const ssize_t got = ::recv(fd, up, sizeof up, MSG_DONTWAIT);
                if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
                    break;  // the session on the pair is gone
                upLength = std::size_t(got > 0 ? got : 0);
                upSent = 0;
            }
            if (upSent < upLength) {
                const int written = ssh_channel_write(channel, up + upSent, std::uint32_t(upLength - upSent));
                if (written == SSH_ERROR)
                    break;
                upSent += std::size_t(written);
            }
            pollfd waits[2] = {{fd, short(upSent == upLength ? POLLIN : 0), 0}, {ssh_get_fd(ssh), POLLIN, 0}};
            if (downSent < downLength)
                waits[0].events |= POLLOUT;
            // Data libssh still holds to send, or a full window, is retried on the next tick.
            (void)::poll(waits, 2, upSent < upLength || downSent < downLength ? 5 : 50);
        }
        ::shutdown(fd, SHUT_RDWR);
    }
};

JumpBridge::JumpBridge(std::unique_ptr<State> state) : state_(std::move(state)) {}

JumpBridge::~JumpBridge() = default;

Status JumpBridge::open(const LinkOptions& options, const std::vector<std::string>& hops, const std::string& host,
                        std::uint16_t port, std::unique_ptr<JumpBridge>& bridge, int& fd, std::string& notes)
{
    const std::optional<JumpHop> hop = parseJumpHop(hops.back());
    if (!hop)
        return Status::failure(ErrorKind::InvalidArgument, "\"" + hops.back() + "\" is no jump host");
    auto state = std::make_unique<State>();
    // The hops before the last lead to it; its own ProxyJump, if any, does not apply.
    const std::vector<std::string> before(hops.begin(), hops.end() - 1);
    const LinkTarget target{hop->host, hop->port ? hop->port : std::uint16_t(22), hop->user, ""};
    const Status jumped = state->jump.open(options, target, before);
    if (!state->jump.notes().empty())
        notes += (notes.empty() ? "" : "\n") + state->jump.notes();
    if (!jumped.ok())
        return Status::failure(jumped.kind(), "Through the jump host " + hop->host + ": " + jumped.message());

    state->channel = ssh_channel_new(state->jump.get());
    if (!state->channel
        || ssh_channel_open_forward(state->channel, host.c_str(), port, "127.0.0.1", 0) != SSH_OK) {
        return Status::failure(ErrorKind::Network, "The jump host " + hop->host + " did not open the way to " + host
                                                       + ":" + std::to_string(port) + ": "
                                                       + ssh_get_error(state->jump.get()));
    }
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return Status::failure(ErrorKind::Network, "Cannot make a socket pair for the jump host");
    state->fd = pair[0];
    ::fcntl(pair[0], F_SETFL, ::fcntl(pair[0], F_GETFL) | O_NONBLOCK);
    State* carried = state.get();
    state->pump = std::thread([carried] { carried->carry(); });
    bridge.reset(new JumpBridge(std::move(state)));
    fd = pair[1];
    return Status::success();
}

} // namespace sftp
