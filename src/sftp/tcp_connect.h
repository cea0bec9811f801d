#pragma once
// A TCP connection to the server made within a deadline, the host name looked
// up on a helper thread so that a resolver that never answers cannot hold the
// logon. libssh is then handed the connected socket.

#include "session/status.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace sftp {

// A connected, blocking, close-on-exec socket in `fd`, or a failure.
session::Status connectTcp(const std::string& host, std::uint16_t port,
                           std::chrono::steady_clock::time_point deadline, int& fd);

} // namespace sftp
