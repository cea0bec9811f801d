#pragma once
// Whether a path exists on the server now, asked the cheapest way it offers:
// MLST, then SIZE, then a listing of the folder that holds it.

#include "ftp/control/command_channel.h"
#include "ftp/status.h"
#include "session/remote_session.h"

#include <string>

namespace ftp {

using session::Presence;

Status presenceOf(CommandChannel& channel, const std::string& path, Presence& presence);

// MLST's and SIZE's replies read as an answer: 2xx says the path is there;
// only MLST's 550 says it is not (SIZE refuses folders and, on some servers,
// files in ASCII mode with the same code). Anything else tells nothing.
Presence presenceFromMlst(const Reply& reply);
Presence presenceFromSize(const Reply& reply);

} // namespace ftp
