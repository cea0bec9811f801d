#pragma once
// Authentication in the OpenSSH client's order: the keys a running ssh-agent
// offers, then the user's default key files that need no passphrase, then the
// password (by the "password" method or by keyboard-interactive, which many
// servers use for passwords).

#include "session/status.h"

#include <libssh/libssh.h>

#include <chrono>
#include <string>

namespace sftp {

// `keyFolder` holds id_ed25519, id_ecdsa and id_rsa (~/.ssh). A logon every
// method failed is Refused. `timeout` bounds the wait for an ssh-agent (the
// server's answers are bounded by the session's own time-out).
session::Status authenticate(ssh_session ssh, const std::string& keyFolder, const std::string& password,
                             std::chrono::milliseconds timeout);

} // namespace sftp
