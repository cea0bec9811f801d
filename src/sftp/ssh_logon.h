#pragma once
// Authentication in the OpenSSH client's order: the keys a running ssh-agent
// offers, then the user's key files (a protected one asked for), then the
// password (by the "password" method or by keyboard-interactive, which many
// servers use for passwords and some for a second factor).

#include "session/status.h"

#include <libssh/libssh.h>

#include <chrono>
#include <string>
#include <vector>

namespace session {
class Questions;
}

namespace sftp {

// What the logon may use besides what the server says.
struct Credentials {
    // Tried in order after the agent's keys (~/.ssh/id_ed25519, id_ecdsa,
    // id_rsa, or the config's IdentityFile lines).
    std::vector<std::string> keyFiles;
    bool useAgent = true;  // IdentitiesOnly leaves the agent out
    std::string password;
    // Passphrases and the server's own prompts; null skips protected keys
    // and cancels at any prompt but the password's.
    session::Questions* questions = nullptr;
    std::string host;  // as typed, for the prompts' title
};

// A logon every method failed is Refused. `timeout` bounds the wait for an
// ssh-agent (the server's answers are bounded by the session's own time-out).
session::Status authenticate(ssh_session ssh, const Credentials& credentials, std::chrono::milliseconds timeout);

} // namespace sftp
