#pragma once
// A TCP connection to the server made within a deadline (the engines' shared
// sockets), handed to libssh as a blocking socket.

#include "session/status.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace sftp {

// A connected, blocking, close-on-exec socket in `fd`, or a failure.
session::Status connectTcp(const std::string& host, std::uint16_t port,
                           std::chrono::steady_clock::time_point deadline, int& fd);

} // namespace sftp
