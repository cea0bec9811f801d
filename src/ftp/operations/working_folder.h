#pragma once
// The server's working folder, remembered so that folders cost as few round
// trips as they can. The user's folder is where the user's own commands
// (CWD) left the server. A listing on a server without MLSD enters the folder
// it lists and may leave the server there; the session walks back only
// before something that depends on the user's folder: PWD, or a relative
// path. Everything here is forgotten with the link.

#include "ftp/control/command_channel.h"
#include "ftp/status.h"

#include <string>

namespace ftp {

class WorkingFolder {
public:
    explicit WorkingFolder(CommandChannel& channel) : channel_(channel) {}

    // A path naming the folder the server stands in now; "" when it will not say.
    Status current(std::string& path);
    // CWD on a listing's behalf; the user's folder stays what it was.
    // `entered` tells whether the server went there; `answer`, when given,
    // receives CWD's reply.
    Status visit(const std::string& path, bool& entered, Reply* answer = nullptr);
    // Walks back to the user's folder when a listing left the server elsewhere.
    Status returnHome();
    // PWD for the user, asked once until the user moves.
    Status print(std::string& path);
    // CWD for the user.
    Status change(const std::string& path);

private:
    CommandChannel& channel_;
};

// The same folder, whatever slashes end the two names.
bool sameFolder(std::string a, std::string b);

} // namespace ftp
