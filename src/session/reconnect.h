#pragma once
// When an engine logs on again, the same for every protocol. Servers close
// idle links (FTP's "421", an SSH server's idle timeout, a NAT that forgot
// the connection); a link found gone before an operation is logged on again
// once, and the operation runs then. A link that breaks while the operation
// runs leaves the fate of its request unknown: the operation runs again only
// when the engine can tell that doing so is harmless (the request never left,
// or it changes nothing on the server). A link the engine gave up on is
// logged on again by the next operation, never by the one that gave up.

#include "session/status.h"

namespace session {

// The failure reported when the link was gone and logging on again failed.
inline Status lostConnection(const Status& logon)
{
    return Status::failure(logon.kind(),
                           "The connection to the server was lost, and logging on again failed: " + logon.message(),
                           logon.replyCode());
}

// `linkLost()`: the link is gone before the operation starts.
// `mayRunAgain(failure)`: the operation failed because the link broke under
// it, and running it once more does no harm.
// `logOnAgain()`: a new link, logged on; on failure nothing is left open.
template <typename LinkLost, typename MayRunAgain, typename LogOnAgain, typename Operation>
Status runReconnecting(LinkLost&& linkLost, MayRunAgain&& mayRunAgain, LogOnAgain&& logOnAgain,
                       Operation&& operation)
{
    bool loggedOnAgain = false;
    if (linkLost()) {
        if (Status s = logOnAgain(); !s.ok())
            return lostConnection(s);
        loggedOnAgain = true;
    }
    Status status = operation();
    if (!status.ok() && !loggedOnAgain && mayRunAgain(status)) {
        if (Status s = logOnAgain(); !s.ok())
            return status;
        status = operation();
    }
    return status;
}

} // namespace session
