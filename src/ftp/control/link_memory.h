#pragma once
// Everything the session knows about one link to the server: what the server
// offers, what its answers taught, where it stands, how the data connections
// are protected, and the replies still due. The command channel creates it
// when the link connects and destroys it when the link is closed, which every
// new logon does first: nothing of an old link reaches the next one and
// nothing needs resetting by hand. A link lost meanwhile (Dropped, Broken)
// keeps it, minus the replies due, for the operation that found it lost.

#include "ftp/control/reply.h"
#include "ftp/status.h"
#include "ftp/transport/stream.h"
#include "ftp/transport/tls_stream.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ftp {

// What the server offers, as its FEAT reply said at logon.
struct ServerFeatures {
    bool mlst = false;         // MLST listed in FEAT: listings use MLSD
    bool utf8 = false;         // names and paths travel as UTF-8
    bool size = false;         // SIZE listed: transfers are checked against the server's size
    // Digests the server can give of a file, by the HASH command (its FEAT
    // line names the algorithms) or by the older XSHA256 / XSHA1 commands.
    bool hashSha256 = false;
    bool hashSha1 = false;
    bool xsha256 = false;
    bool xsha1 = false;
};

// What the server's answers taught since logon, apart from what it offered.
struct LinkLearnt {
    bool epsvRefused = false;  // EPSV refused for good (5xx): PASV from then on
    bool restRefused = false;  // REST refused for good (5xx): downloads start at 0
    std::string hashSelected;  // the algorithm HASH answers with now ("SHA-256"), from FEAT's '*' or OPTS HASH
};

// The working folder (see WorkingFolder): a path naming the user's folder and
// PWD's answer for it ("" when not known), and the folder a listing left the
// server in instead ("" when it stands in the user's folder).
struct FolderMemory {
    std::string home;
    std::string homeAnswer;
    std::string away;
};

// Wraps a freshly connected data stream (in place) before any byte moves on
// it, e.g. a TLS session when the server asked for protected data. `start`
// runs once TCP is up, the transfer command already sent (a server only takes
// up the data connection once it has the command, and that left first), and
// must not wait; `finish` runs after the server's first reply accepted the
// command, so that a refusal is never held up by a handshake that a refusing
// server will not answer. Empty: data connections stay plain.
struct DataProtection {
    std::function<Status(std::unique_ptr<Stream>& stream)> start;
    std::function<Status(Stream& stream, Deadline deadline)> finish;
    explicit operator bool() const { return bool(start); }
};

// The encryption of the link (see SessionEncryption).
struct LinkEncryption {
    bool encrypted = false;           // the control connection speaks TLS
    std::string description;          // "TLSv1.3, TLS_AES_256_GCM_SHA384"
    TlsResumption resumption;         // the control connection's session, which data connections resume
    bool protectionDeferred = false;  // PBSZ/PROT refused before logon: sent after it
};

// What to do with the reply to one command once it has come: note what it
// says, or judge it. Its failure is what waiting for the reply returns.
using ReplyHandler = std::function<Status(const Reply& reply)>;

// A command sent whose reply is still to be read.
struct ReplyDue {
    std::string verb;
    ReplyHandler handler;     // empty: nobody awaits the reply; it is read in its turn and dropped
    bool firstReply = false;  // the handler takes the first reply, a "1xx" too
    // Sent for a later taker, who may claim the reply while it is fresh;
    // until then, and after, nobody awaits it.
    std::optional<Clock::time_point> keptSince;
};

struct LinkMemory {
    ServerFeatures features;
    LinkLearnt learnt;
    FolderMemory folder;
    LinkEncryption encryption;
    DataProtection dataProtection;
    std::deque<ReplyDue> due;  // oldest first
};

} // namespace ftp
