#pragma once
// Data connections: passive mode only (EPSV, PASV when EPSV is refused), always
// to the host of the control connection, each one a Stream that a protection
// hook may wrap once the server has taken the transfer command.

#include "ftp/control/command_channel.h"
#include "ftp/control/reply.h"
#include "ftp/status.h"
#include "ftp/transport/stream.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ftp {

// Wraps a freshly connected data stream (in place) before any byte moves on
// it, e.g. a TLS session when the server asked for protected data. `start`
// runs once TCP is up, the transfer command already sent (a server only takes
// up the data connection once it has the command, and that left first), and
// must not wait; `finish` runs after the server's first reply accepted the
// command, so that a refusal is never held up by a handshake that a refusing
// server will not answer.
struct DataProtection {
    std::function<Status(std::unique_ptr<Stream>& stream)> start;
    std::function<Status(Stream& stream, Deadline deadline)> finish;
    explicit operator bool() const { return bool(start); }
};

class DataChannel {
public:
    // Empty: data connections stay plain. Forgotten at every new logon.
    void setProtection(DataProtection protect) { protect_ = std::move(protect); }
    void reset() { protect_ = {}; }

    // Opens a data connection, sends `line` (RETR, STOR, LIST...) and reads its
    // first reply: 1xx starts the transfer, a 2xx in `finalReply` may already end it.
    // Commands the caller sent ahead (SIZE) travel with EPSV; `earlier` reads
    // their replies in their turn.
    // A command that must come just before the transfer command (REST),
    // decided once `earlier` has run: "" sends none. It travels with the
    // transfer command, and its reply, whatever it is, lands in `reply`.
    struct Lead {
        std::function<std::string()> line;
        std::optional<Reply> reply;
    };
    Status open(CommandChannel& channel, const std::string& line, std::unique_ptr<Stream>& stream,
                std::optional<Reply>& finalReply, const std::function<Status()>& earlier = {},
                Lead* lead = nullptr);

    // Asks for the next transfer's passive port now, its reply kept for the
    // next open(), which then needs no EPSV of its own: for a transfer that
    // follows at once, asked while the one before it is still being checked.
    // Anything else sent first drops it unused.
    static Status askPassiveLater(CommandChannel& channel);

    // What waitForData found first.
    enum class Wait { DataReady, ControlReady, TimedOut, Failed };
    // Waits until `stream` can go on after answering `want`, or, when
    // `watchControl`, until a reply arrives on the control connection (the
    // server ending the transfer). Bytes already buffered count as ready.
    static Wait waitForData(Stream& stream, IoResult::State want, ControlConnection* watchControl,
                            Deadline deadline);

private:
    static bool takeKeptPassive(CommandChannel& channel, std::uint16_t& port);
    static Status connectFailed(CommandChannel& channel, const std::string& line, bool leadSent,
                                const std::function<Status()>& readEarlier, const Status& failure);
    Status passivePort(CommandChannel& channel, const std::function<Status()>& earlier, std::uint16_t& port);

    DataProtection protect_;
};

} // namespace ftp
