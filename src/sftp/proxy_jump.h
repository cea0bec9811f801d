#pragma once
// The way to a server through jump hosts (ProxyJump), as `ssh -J` makes it:
// an SSH logon to the last jump host (itself reached through the hops
// before it), a direct-tcpip channel from there to the server, and the
// server's own SSH session run over that channel through one end of a
// socket pair, while a thread carries bytes between the pair's other end
// and the channel. libssh 0.10 has no ProxyJump of its own, only one that
// runs an external ssh command.

#include "session/status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sftp {

struct LinkOptions;

class JumpBridge {
public:
    // Logs on to the jump hosts (host keys checked like any server's) and
    // opens the channel to host:port, each step within the session's
    // time-out. On success `fd` is the socket end the server's session
    // reads and writes; it owns it. `notes` gains what the jump hosts'
    // config entries say.
    static session::Status open(const LinkOptions& options, const std::vector<std::string>& hops,
                                const std::string& host, std::uint16_t port, std::unique_ptr<JumpBridge>& bridge,
                                int& fd, std::string& notes);
    ~JumpBridge();  // stops the carrying and leaves the jump hosts
    JumpBridge(const JumpBridge&) = delete;
    JumpBridge& operator=(const JumpBridge&) = delete;

    struct State;

private:
    explicit JumpBridge(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace sftp
