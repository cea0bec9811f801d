#pragma once
// Authentication in the OpenSSH client's order: the keys a running ssh-agent
// offers, then the user's default key files that need no passphrase, then the
// password (by the "password" method or by keyboard-interactive, which many
// servers use for passwords).

#include "session/status.h"

#include <libssh/libssh.h>

#include <string>

namespace sftp {

// `keyFolder` holds id_ed25519, id_ecdsa and id_rsa (~/.ssh). A logon every
// method failed is Refused.
session::Status authenticate(ssh_session ssh, const std::string& keyFolder, const std::string& password);

} // namespace sftp
