#include "sftp/ssh_logon.h"

#include "sftp/agent_probe.h"
#include "sftp/key_files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace sftp {
namespace {

using session::ErrorKind;
using session::Status;

enum class Outcome { LoggedOn, NotThisWay, Broken };

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
    const int result = ssh_userauth_agent(ssh, nullptr);
    // An agent that is gone or refuses to sign leaves the session fine.
    if (result == SSH_AUTH_ERROR && ssh_is_connected(ssh))
        return Outcome::NotThisWay;
    return outcomeOf(result);
}

// Answers every hidden prompt with the password. A server that asks again
// after the answer has refused it; it is not told the same thing twice.
Outcome tryKeyboardInteractive(ssh_session ssh, const std::string& password)
{
    bool answered = false;
    int result = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    for (int round = 0; result == SSH_AUTH_INFO && round < 8; ++round) {
        const int prompts = ssh_userauth_kbdint_getnprompts(ssh);
        bool asksPassword = false;
        for (int index = 0; index < prompts; ++index) {
            char echo = 0;
            (void)ssh_userauth_kbdint_getprompt(ssh, unsigned(index), &echo);
            asksPassword = asksPassword || !echo;
            if (ssh_userauth_kbdint_setanswer(ssh, unsigned(index), echo ? "" : password.c_str()) < 0)
                return Outcome::Broken;
        }
        if (asksPassword && answered)
            return Outcome::NotThisWay;
        answered = answered || asksPassword;
        result = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    }
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
        std::chrono::milliseconds timeout;
    };
    const Means means{credentials.keyFiles, credentials.useAgent, credentials.questions, credentials.password, timeout};
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
        {SSH_AUTH_METHOD_INTERACTIVE, [](ssh_session s, const Means& m) { return tryKeyboardInteractive(s, m.password); }},
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
        case Outcome::NotThisWay:
            break;
        }
    }
    return Status::failure(ErrorKind::Refused, "The server refused the logon");
}

} // namespace sftp
