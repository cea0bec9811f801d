#pragma once
// libssh talks to an ssh-agent with blocking reads and no time limit: an
// agent that hangs (a stale forwarded socket, a stopped process, a key that
// waits for a touch that never comes) would hold the logon for ever. The
// agent is first asked for its keys here, within a deadline, and left out
// when it does not answer in time; libssh then talks to it on a connection
// of ours, which is cut when the time is up, ending whatever exchange waits.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace sftp {

// True when the agent at `socketPath` answers a request for its identities
// within `wait`.
bool agentAnswers(const std::string& socketPath, std::chrono::milliseconds wait);

// A blocking connection to the agent at `socketPath`, made within `wait`;
// -1 when there is none.
int connectAgent(const std::string& socketPath, std::chrono::milliseconds wait);

// Shuts the agent connection `fd` down once `wait` has passed, unless this
// object goes first: a read blocked on it then ends at once. The descriptor
// stays open, for its owner to close.
class AgentDeadline {
public:
    AgentDeadline(int fd, std::chrono::milliseconds wait);
    ~AgentDeadline();
    AgentDeadline(const AgentDeadline&) = delete;
    AgentDeadline& operator=(const AgentDeadline&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread watcher_;
};

} // namespace sftp
