#pragma once
// One logged-on SSH connection, made as the OpenSSH client makes it: the
// user's ~/.ssh/config consulted for the typed name, the socket connected
// within the time-out, the server's host key checked before anything is
// sent for the logon, then the logon itself.

#include "session/questions.h"
#include "session/status.h"

#include <libssh/libssh.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sftp {

struct LinkOptions {
    std::chrono::milliseconds timeout{30000};
    std::string sshFolder;  // known_hosts, config and the default keys; never ""
    std::string hostKeyStore;
    // The host key, a key's passphrase, the server's prompts. Must outlive the link.
    std::reference_wrapper<session::Questions> questions = session::nobodyToAsk();
};

// Who to log on to, as the window's fields say.
struct LinkTarget {
    std::string host;
    std::uint16_t port = 22;  // 22 (the field empty or the default) lets the config choose
    std::string user;         // "" lets the config choose
    std::string password;
};

class JumpBridge;

class SshLink {
public:
    SshLink();
    ~SshLink();
    SshLink(const SshLink&) = delete;
    SshLink& operator=(const SshLink&) = delete;

    // A failure leaves the link closed; notes() still says what the config did.
    // `jumps` are "[user@]host[:port]" hops to go through in place of the
    // config's ProxyJump; none given: the config's.
    session::Status open(const LinkOptions& options, const LinkTarget& target,
                         const std::optional<std::vector<std::string>>& jumps = std::nullopt);
    // `politely` says goodbye to the server; otherwise the socket is shut
    // first, so that nothing libssh still does can wait on the server.
    void drop(bool politely);

    ssh_session get() const { return ssh_; }
    // Which ~/.ssh/config entries applied and which files could not be read,
    // one sentence per line; "" when no config took part.
    const std::string& notes() const { return notes_; }

private:
    ssh_session ssh_ = nullptr;
    std::unique_ptr<JumpBridge> bridge_;  // the way in when through jump hosts; outlives ssh_
    std::string notes_;
};

} // namespace sftp
