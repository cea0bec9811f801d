#pragma once
// What the user is asked about an SSH server's host key, and how the answer
// comes back. Plain data, so the windows can ask without knowing libssh.

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

} // namespace sftp
