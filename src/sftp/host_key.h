#pragma once
// The server's host key judged as the OpenSSH client judges it: against the
// user's known_hosts (hashed entries and "[host]:port" entries included, a
// plain host entry for a server on another port, "@revoked" keys refused) and
// the program's own store of keys the user accepted, a file in the same
// format. Only the user can accept a key no file knows, or a changed one.

#include "session/questions.h"
#include "session/status.h"

#include <libssh/libssh.h>

#include <cstdint>
#include <string>

namespace sftp {

struct HostKeyFiles {
    std::string userKnownHosts;  // ~/.ssh/known_hosts, only ever read
    std::string ownStore;        // the program's own file; "" keeps no answer
};

// After the key exchange, before any authentication. Refusals are Insecure.
session::Status checkHostKey(ssh_session ssh, const std::string& host, std::uint16_t port,
                             const HostKeyFiles& files, session::Questions& questions);

} // namespace sftp
