#pragma once
// The one place that knows which engine speaks which protocol.

#include "ftp/transport/certificate_check.h"
#include "session/endpoint.h"
#include "session/questions.h"
#include "session/remote_session.h"
#include "sftp/host_key_report.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace session {

// What every engine may need before it logs on: how long to wait, whom to
// trust, and the questions only the user can answer.
struct ConnectOptions {
    std::chrono::milliseconds timeout{30000};
    // A PEM file of authorities trusted besides the system's; "" for none.
    std::string trustedAuthorities;
    // The server's certificate failed the check: true trusts it. Unset: refused.
    std::function<bool(const ftp::CertificateReport&)> trustCertificate;
    // The server refused encryption: true logs on in clear. Unset: in clear.
    std::function<bool()> continueWithoutEncryption;
    // SSH: a host key that neither the user's known_hosts nor the program's
    // own store vouches for; true trusts it. Unset: refused.
    sftp::HostKeyQuestion trustHostKey;
    // SSH: the program's own known_hosts-format file, where trusted keys are
    // kept; "" keeps none.
    std::string hostKeyStore;
    // SSH: the user's OpenSSH folder (config, known_hosts, default key files); "" for ~/.ssh.
    std::string sshFolder;
    // SSH: a key's passphrase and the server's own prompts; null asks nothing.
    Questions* questions = nullptr;
};

// A session, not yet open, that speaks `protocol`; null when this build has
// no engine for it.
std::unique_ptr<RemoteSession> createSession(Protocol protocol, ConnectOptions options);

} // namespace session
