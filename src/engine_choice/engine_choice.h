#pragma once
// The one place that knows which engine speaks which protocol. Includes no
// engine header: callers see the seam's types alone.

#include "engine_choice/endpoint.h"
#include "session/questions.h"
#include "session/remote_session.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace engine_choice {

// What every engine may need before it logs on: how long to wait, whom to
// trust, and the questions only the user can answer.
struct ConnectOptions {
    std::chrono::milliseconds timeout{30000};
    // A PEM file of authorities trusted besides the system's; "" for none.
    std::string trustedAuthorities;
    // Whoever answers the engine's questions (a certificate that failed the
    // check, a server that refused encryption, an SSH host key no file vouches
    // for). Must outlive the session.
    std::reference_wrapper<session::Questions> questions = session::nobodyToAsk();
    // SSH: the program's own known_hosts-format file, where trusted keys are
    // kept; "" keeps none.
    std::string hostKeyStore;
    // SSH: the user's OpenSSH folder (config, known_hosts, default key files); "" for ~/.ssh.
    std::string sshFolder;
};

// A session, not yet open, that speaks `protocol`; null when this build has
// no engine for it.
std::unique_ptr<session::RemoteSession> createSession(Protocol protocol, ConnectOptions options);

} // namespace engine_choice
