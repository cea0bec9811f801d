#pragma once
// The user's key files offered to the server in order. A key protected by a
// passphrase is asked for (naming the file, three tries); one the server
// would refuse anyway, seen by its public half, is never asked for.

#include <libssh/libssh.h>

#include <string>
#include <vector>

namespace session {
class Questions;
}

namespace sftp {

// SSH_AUTH_SUCCESS (or _PARTIAL) as soon as a key is taken, SSH_AUTH_ERROR when the link
// broke, else SSH_AUTH_DENIED. `questions` null: protected keys are skipped.
int tryKeyFiles(ssh_session ssh, const std::vector<std::string>& keyFiles, session::Questions* questions);

} // namespace sftp
