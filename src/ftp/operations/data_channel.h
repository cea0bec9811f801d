#pragma once
// Data connections: passive mode only (EPSV, PASV when EPSV is refused), always
// to the host of the control connection, each one a Stream that the link's
// protection may wrap once the server has taken the transfer command.

#include "ftp/control/command_channel.h"
#include "ftp/control/reply.h"
#include "ftp/status.h"
#include "ftp/transport/stream.h"

#include <memory>
#include <optional>
#include <string>

namespace ftp {

// A command that moves data (RETR, STOR, LIST...), with what travels with it.
struct DataCommand {
    std::string line;
    // A command that must come just before `line` (REST): sent, when not
    // empty, once every reply due has been taken, since those may empty it
    // (SIZE's, when the file changed). Its answer, whatever it is, lands in
    // `leadReply`.
    std::string lead;
    std::optional<Reply> leadReply;
    // The first answer to `line`: a "1xx" starts the transfer; a 2xx
    // already ends it and is kept in `finalReply` too.
    Reply firstReply;
    std::optional<Reply> finalReply;
};

// Opens a data connection for `command` and reads the server's first answer
// to it. Commands the caller sent ahead (SIZE) travel with EPSV, their
// handlers taking their replies in turn.
Status openDataConnection(CommandChannel& channel, DataCommand& command, std::unique_ptr<Stream>& stream);

// Asks for the next transfer's passive port now, its reply kept for the next
// openDataConnection(), which then needs no EPSV of its own: for a transfer
// that follows at once, asked while the one before it is still being checked.
// Anything else sent first drops it unused.
Status askPassiveLater(CommandChannel& channel);

// What waitForData found first.
enum class DataWait { DataReady, ControlReady, TimedOut, Failed };
// Waits until `stream` can go on after answering `want`, or, when
// `watchControl`, until a reply arrives on the control connection (the
// server ending the transfer). Bytes already buffered count as ready.
DataWait waitForData(Stream& stream, IoResult::State want, ControlConnection* watchControl, Deadline deadline);

} // namespace ftp
