#pragma once
// libssh talks to an ssh-agent with blocking reads and no time limit: an
// agent that hangs (a stale forwarded socket, a stopped process) would hold
// the logon for ever. The agent is first asked for its keys here, within a
// deadline, and left out when it does not answer in time.

#include <chrono>
#include <string>

namespace sftp {

// True when the agent at `socketPath` answers a request for its identities
// within `wait`.
bool agentAnswers(const std::string& socketPath, std::chrono::milliseconds wait);

} // namespace sftp
