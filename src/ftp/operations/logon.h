#pragma once
// Logging on as a list of steps run in order. A step may be skipped when what
// came before makes it needless (PASS after "230" to USER). Further steps slot
// in where the list says, without touching the others.

#include "ftp/control/command_channel.h"
#include "ftp/control/reply.h"
#include "ftp/status.h"

#include <functional>
#include <string>
#include <vector>

namespace ftp {

struct Credentials {
    std::string user;
    std::string password;
};

// What a step works with; `lastReply` is the reply to the step before.
// `host` is the name the user gave (what a server certificate must name).
struct LogonContext {
    CommandChannel& channel;
    const std::string& host;
    const Credentials& credentials;
    Reply lastReply;
};

struct LogonStep {
    std::string name;                                  // "USER", "FEAT"...
    std::function<bool(const LogonContext&)> skip;     // empty: always runs
    std::function<Status(LogonContext&)> run;
};

// The standard sequence: greeting, USER, PASS, FEAT with TYPE I behind it, OPTS UTF8.
std::vector<LogonStep> logonSteps();

// Runs `steps` in order on a freshly connected channel; Ready on success.
Status runLogon(LogonContext& context, const std::vector<LogonStep>& steps);

} // namespace ftp
