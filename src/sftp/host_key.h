#pragma once
// The server's host key judged as the OpenSSH client judges it: against the
// user's known_hosts (hashed entries and "[host]:port" entries included) and
// the program's own store of keys the user accepted, a file in the same
// format. Only the user can accept a key no file knows, or a changed one.

#include "session/status.h"

#include <libssh/libssh.h>

#include <cstdint>
#include <functional>
#include <string>

namespace sftp {

// What the user is asked about a host key that no file vouches for.
struct HostKeyReport {
    std::string host;
    std::uint16_t port = 22;
    std::string keyType;      // "ssh-ed25519"
    std::string fingerprint;  // as OpenSSH writes it: "SHA256:" and unpadded base64
    // A key on record for this server that differs: its fingerprint. "" when
    // the server is new to us.
    std::string knownFingerprint;
};

// True connects (and stores the key); false or unset refuses.
using HostKeyQuestion = std::function<bool(const HostKeyReport&)>;

struct HostKeyFiles {
    std::string userKnownHosts;  // ~/.ssh/known_hosts, only ever read
    std::string ownStore;        // the program's own file; "" keeps no answer
};

// After the key exchange, before any authentication. Refusals are Insecure.
session::Status checkHostKey(ssh_session ssh, const std::string& host, std::uint16_t port,
                             const HostKeyFiles& files, const HostKeyQuestion& ask);

} // namespace sftp
