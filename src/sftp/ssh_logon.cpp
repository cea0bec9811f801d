#include "sftp/ssh_logon.h"

#include "sftp/agent_probe.h"
#include "sftp/interactive_logon.h"
#include "sftp/key_files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace sftp {
namespace {

using session::ErrorKind;
using session::Status;

enum class Outcome { LoggedOn, NotThisWay, Broken, Stopped };

Outcome outcomeOf(int result)
{
    switch (result) {
    case SSH_AUTH_SUCCESS:
        return Outcome::LoggedOn;
    case SSH_AUTH_ERROR:
        return Outcome::Broken;
    default:  // denied, or partly done with more methods to go
        return Outcome::NotThisWay;
    }
}

// An agent that does not list its keys this soon is left out.
constexpr std::chrono::milliseconds agentWait{3000};

Outcome tryAgent(ssh_session ssh, std::chrono::milliseconds timeout)
{
    const char* socket = std::getenv("SSH_AUTH_SOCK");
    if (!socket || !*socket || !agentAnswers(socket, std::min(timeout, agentWait)))
        return Outcome::NotThisWay;
    // Every exchange with the agent, not only the first, ends within the
    // time-out: an agent that lists its keys and never signs is cut off.
    const int fd = connectAgent(socket, timeout);
    if (fd < 0)
        return Outcome::NotThisWay;
    if (ssh_set_agent_socket(ssh, fd) != SSH_OK) {  // libssh closes it with the session
        ::close(fd);
        return Outcome::NotThisWay;
    }
    const AgentDeadline deadline(fd, timeout);
    const int result = ssh_userauth_agent(ssh, nullptr);
    // An agent that is gone or refuses to sign leaves the session fine.
    if (result == SSH_AUTH_ERROR && ssh_is_connected(ssh))
        return Outcome::NotThisWay;
    return outcomeOf(result);
}

Status broken(ssh_session ssh)
{
    const std::string error = ssh_get_error(ssh);
    const bool timedOut = error.find("imeout") != std::string::npos || error.find("timed out") != std::string::npos;
    return Status::failure(timedOut ? ErrorKind::Timeout : ErrorKind::Network, "The logon broke off: " + error);
}

} // namespace

Status authenticate(ssh_session ssh, const Credentials& credentials, std::chrono::milliseconds timeout)
{
    struct Means {
        const std::vector<std::string>& keyFiles;
        bool useAgent;
        session::Questions* questions;
        const std::string& password;
        const std::string& host;
        std::chrono::milliseconds timeout;
        std::string* stopped;  // why the logon ends without trying further
    };
    std::string stopped;
    const Means means{credentials.keyFiles, credentials.useAgent, credentials.questions, credentials.password,
                      credentials.host,     timeout,              &stopped};
    using Attempt = Outcome (*)(ssh_session, const Means&);
    constexpr int alwaysTried = 0;  // a method flag no list needs to hold
    struct Method {
        int flag;
        Attempt attempt;
    };
    const Method methods[] = {
        // "none" tells which methods the server takes; rarely it is all it needs.
        {alwaysTried, [](ssh_session s, const Means&) { return outcomeOf(ssh_userauth_none(s, nullptr)); }},
        {SSH_AUTH_METHOD_PUBLICKEY, [](ssh_session s, const Means& m) {
             return m.useAgent ? tryAgent(s, m.timeout) : Outcome::NotThisWay;
         }},
        {SSH_AUTH_METHOD_PUBLICKEY, [](ssh_session s, const Means& m) {
             return outcomeOf(tryKeyFiles(s, m.keyFiles, m.questions));
         }},
        {SSH_AUTH_METHOD_PASSWORD,
         [](ssh_session s, const Means& m) { return outcomeOf(ssh_userauth_password(s, nullptr, m.password.c_str())); }},
        {SSH_AUTH_METHOD_INTERACTIVE, [](ssh_session s, const Means& m) {
             InteractiveOutcome outcome = answerKeyboardInteractive(s, m.host, m.password, m.questions);
             *m.stopped = std::move(outcome.stopped);
             return m.stopped->empty() ? outcomeOf(outcome.result) : Outcome::Stopped;
         }},
    };
    for (const Method& method : methods) {
        // The list changes after a partial success, so it is asked each time.
        if (method.flag != alwaysTried && !(ssh_userauth_list(ssh, nullptr) & method.flag))
            continue;
        switch (method.attempt(ssh, means)) {
        case Outcome::LoggedOn:
            return Status::success();
        case Outcome::Broken:
            return broken(ssh);
        case Outcome::Stopped:
            return Status::failure(ErrorKind::Refused, stopped);
        case Outcome::NotThisWay:
            break;
        }
    }
    return Status::failure(ErrorKind::Refused, "The server refused the logon");
}

} // namespace sftp
