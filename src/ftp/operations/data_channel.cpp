#include "ftp/operations/data_channel.h"

#include "ftp/transport/socket.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <utility>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace ftp {

namespace {

// How long a failed data connection waits for the server's word on the transfer command.
constexpr std::chrono::seconds refusalWait{3};

// The port in a reply to EPSV or PASV, when it is a 2xx that names one.
std::optional<std::uint16_t> portIn(std::string_view verb, const Reply& reply)
{
    if (classify(reply.code) != ReplyClass::Done)
        return std::nullopt;
    return verb == "EPSV" ? parseEpsvPort(reply.text) : parsePasvPort(reply.text);
}

// EPSV refused for good will not work next time either: PASV from then on.
void learnFrom(CommandChannel& channel, std::string_view verb, const Reply& reply)
{
    if (verb == "EPSV" && classify(reply.code) == ReplyClass::PermanentRefusal)
        channel.link().learnt.epsvRefused = true;
}

// The port asked for while the transfer before this one was checked, when
// its reply is the next one due and still fresh.
bool takeKeptPort(CommandChannel& channel, std::uint16_t& port)
{
    std::string verb;
    Reply reply;
    if (!channel.claimKept(verb, storeReply(reply), channel.replyDeadline()))
        return false;
    learnFrom(channel, verb, reply);
    const std::optional<std::uint16_t> given = portIn(verb, reply);
    if (given)
        port = *given;
    return given.has_value();
}

// EPSV, or PASV where EPSV fails, behind the commands the caller sent ahead
// (SIZE), whose replies come first.
Status askPort(CommandChannel& channel, std::uint16_t& port)
{
    Reply reply;
    if (!channel.link().learnt.epsvRefused) {
        if (Status s = channel.command("EPSV", storeReply(reply)); !s.ok())
            return s;
        learnFrom(channel, "EPSV", reply);
        if (const std::optional<std::uint16_t> given = portIn("EPSV", reply)) {
            port = *given;
            return Status::success();
        }
    }
    if (Status s = channel.command("PASV", storeReply(reply)); !s.ok())
        return s;
    if (Status s = doneOrRefused("PASV", reply); !s.ok())
        return s;
    const std::optional<std::uint16_t> given = portIn("PASV", reply);
    if (!given)
        return unexpected("PASV", reply);
    port = *given;
    return Status::success();
}

// Starts TCP towards the server's passive port, without waiting for it.
Status startConnecting(CommandChannel& channel, Socket& socket)
{
    std::uint16_t port = 0;
    if (!takeKeptPort(channel, port)) {
        if (Status s = askPort(channel, port); !s.ok())
            return s;
    }
    // Whatever address the server named, the data goes to the host we are
    // talking to: a hostile reply must not point us at another machine.
    SocketAddress peer;
    if (!peerAddress(channel.connection().fd(), peer))
        return channel.failed(Status::failure(ErrorKind::Network, "The control connection was lost"));
    setPort(peer, port);
    if (Status s = statusOf(startConnect(peer, socket)); !s.ok())
        return Status::failure(s.kind(), "Cannot open the data connection: " + s.message());
    return Status::success();
}

// Sends the lead, when there still is one, and the transfer command; their
// replies are taken later.
Status sendCommands(CommandChannel& channel, DataCommand& command, Deadline deadline)
{
    // The lead may depend on the replies due (REST on SIZE's).
    if (!command.lead.empty()) {
        if (Status s = channel.await(deadline); !s.ok())
            return s;
    }
    if (!command.lead.empty()) {
        const auto takeLeadReply = [&command](const Reply& reply) {
            command.leadReply = reply;
            return Status::success();
        };
        if (Status s = channel.send(command.lead, takeLeadReply, deadline); !s.ok())
            return s;
    }
    return channel.send(command.line, storeReply(command.firstReply), deadline, CommandChannel::Answer::First);
}

// The data connection failed after the transfer command went out. A server
// that refused the command may close its listener at once, resetting a
// connection still in its queue (ProFTPD after "550 ... No such file"): its
// answer, read in turn, says why and keeps the link in step. A server that
// took the command waits for a connection that will not come, and its answer
// would arrive out of step: that link is given up.
Status connectFailed(CommandChannel& channel, const DataCommand& command, const Status& failure)
{
    const Deadline shortly = std::min(channel.replyDeadline(), deadlineAfter(refusalWait));
    if (channel.await(shortly).ok()) {
        const ReplyClass kind = classify(command.firstReply.code);
        if (kind == ReplyClass::TransientRefusal || kind == ReplyClass::PermanentRefusal)
            return refusal(command.line, command.firstReply);
    }
    channel.broken();
    return failure;
}

// Takes every reply due, the transfer command's first answer last.
Status takeFirstAnswer(CommandChannel& channel, DataCommand& command, Deadline deadline)
{
    if (Status s = channel.await(deadline); !s.ok())
        return s;
    const Reply& reply = command.firstReply;
    switch (classify(reply.code)) {
    case ReplyClass::Preliminary:
        return Status::success();
    case ReplyClass::Done:
        command.finalReply = reply;
        return Status::success();
    case ReplyClass::TransientRefusal:
    case ReplyClass::PermanentRefusal:
        return refusal(command.line, reply);
    default:
        return unexpected(command.line, reply);
    }
}

std::unique_ptr<Stream> plainDataStream(Socket socket)
{
    // Uploads leave in large writes whose tail is a small segment; Nagle would
    // hold each tail back until the peer's acknowledgement came in.
    const int on = 1;
    (void)::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return makePlainStream(std::move(socket));
}

} // namespace

Status openDataConnection(CommandChannel& channel, DataCommand& command, std::unique_ptr<Stream>& stream)
{
    Socket socket;
    if (Status s = startConnecting(channel, socket); !s.ok())
        return s;
    // The transfer command goes out while TCP connects: the two round trips
    // overlap. A server takes the command and then waits for the connection.
    const Deadline deadline = channel.replyDeadline();
    if (Status s = sendCommands(channel, command, deadline); !s.ok())
        return s;
    if (Status s = statusOf(finishConnect(socket, deadline)); !s.ok())
        return connectFailed(channel, command,
                             Status::failure(s.kind(), "Cannot open the data connection: " + s.message()));
    std::unique_ptr<Stream> data = plainDataStream(std::move(socket));
    // The TLS handshake starts as soon as TCP is up, as curl's does: the
    // server has the transfer command by then (it left first), so its answer
    // and the handshake share their round trips. A server that refused the
    // command never answers the handshake; its reply says why.
    const DataProtection& protect = channel.link().dataProtection;
    Status protection = protect ? protect.start(data) : Status::success();
    if (Status s = takeFirstAnswer(channel, command, deadline); !s.ok())
        return s;
    if (protect && protection.ok())
        protection = protect.finish(*data, channel.replyDeadline());
    if (!protection.ok())
        return Status::failure(protection.kind(), "Cannot protect the data connection: " + protection.message());
    stream = std::move(data);
    return Status::success();
}

Status askPassiveLater(CommandChannel& channel)
{
    return channel.keep(channel.link().learnt.epsvRefused ? "PASV" : "EPSV", channel.replyDeadline());
}

DataWait waitForData(Stream& stream, IoResult::State want, ControlConnection* watchControl, Deadline deadline)
{
    if (want == IoResult::State::WantRead && stream.buffered() > 0)
        return DataWait::DataReady;
    if (watchControl && watchControl->hasBufferedInput())
        return DataWait::ControlReady;
    const short events = want == IoResult::State::WantWrite ? POLLOUT : POLLIN;
    for (;;) {
        pollfd entries[2] = {{stream.fd(), events, 0}, {watchControl ? watchControl->fd() : -1, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return DataWait::TimedOut;
        const int ready = ::poll(entries, watchControl ? 2 : 1, int(left.count()) + 1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return DataWait::Failed;
        }
        if (ready == 0)
            continue;
        if (entries[0].revents != 0)
            return DataWait::DataReady;
        // Readable is not yet a reply: an encrypted link may carry records of its own.
        if (watchControl && entries[1].revents != 0 && watchControl->hasPendingInput())
            return DataWait::ControlReady;
    }
}

} // namespace ftp
