#include "ftp/operations/data_channel.h"

#include "ftp/transport/socket.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace ftp {

// Sends EPSV or PASV behind the commands the caller sent ahead; `earlier`
// reads their replies, which come first.
Status passiveCommand(CommandChannel& channel, std::string_view verb, const std::function<Status()>& earlier,
                      Reply& reply)
{
    if (channel.repliesAhead() == 0)
        return channel.command(verb, reply);
    const Deadline deadline = channel.replyDeadline();
    if (Status s = channel.sendAhead(verb, deadline); !s.ok())
        return s;
    if (earlier) {
        if (Status s = earlier(); !s.ok())
            return s;
    }
    return channel.readAhead(reply, deadline);
}

// How long a failed data connection waits for the server's word on the transfer command.
constexpr std::chrono::seconds refusalWait{3};

Status DataChannel::askPassiveLater(CommandChannel& channel)
{
    return channel.sendKept(channel.learnt().epsvRefused ? "PASV" : "EPSV", channel.replyDeadline());
}

bool DataChannel::takeKeptPassive(CommandChannel& channel, std::uint16_t& port)
{
    std::string verb;
    Reply reply;
    if (!channel.takeKept(verb, reply, channel.replyDeadline()))
        return false;
    if (classify(reply.code) == ReplyClass::PermanentRefusal && verb == "EPSV")
        channel.learnt().epsvRefused = true;
    if (classify(reply.code) != ReplyClass::Done)
        return false;
    const std::optional<std::uint16_t> given = verb == "EPSV" ? parseEpsvPort(reply.text) : parsePasvPort(reply.text);
    if (!given)
        return false;
    port = *given;
    return true;
}

Status DataChannel::passivePort(CommandChannel& channel, const std::function<Status()>& earlier,
                                std::uint16_t& port)
{
    Reply reply;
    if (!channel.learnt().epsvRefused) {
        if (Status s = passiveCommand(channel, "EPSV", earlier, reply); !s.ok())
            return s;
        if (classify(reply.code) == ReplyClass::Done) {
            if (const auto epsv = parseEpsvPort(reply.text)) {
                port = *epsv;
                return Status::success();
            }
        } else if (classify(reply.code) == ReplyClass::PermanentRefusal) {
            channel.learnt().epsvRefused = true;  // it will not work next time either
        }
    }
    if (Status s = passiveCommand(channel, "PASV", earlier, reply); !s.ok())
        return s;
    if (Status s = doneOrRefused("PASV", reply); !s.ok())
        return s;
    const auto pasv = parsePasvPort(reply.text);
    if (!pasv)
        return unexpected("PASV", reply);
    port = *pasv;
    return Status::success();
}

// The data connection failed after the transfer command went out. A server
// that refused the command may close its listener at once, resetting a
// connection still in its queue (ProFTPD after "550 ... No such file"): its
// answer, read in turn, says why and keeps the link in step. A server that
// took the command waits for a connection that will not come, and its answer
// would arrive out of step: that link is given up.
Status DataChannel::connectFailed(CommandChannel& channel, const std::string& line, bool leadSent,
                                  const std::function<Status()>& readEarlier, const Status& failure)
{
    const Deadline shortly = std::min(channel.replyDeadline(), deadlineAfter(refusalWait));
    Reply reply;
    if (readEarlier().ok() && (!leadSent || channel.readAhead(reply, shortly).ok())
        && channel.readAhead(reply, shortly, true).ok()) {
        const ReplyClass kind = classify(reply.code);
        if (kind == ReplyClass::TransientRefusal || kind == ReplyClass::PermanentRefusal)
            return refusal(line, reply);
    }
    channel.broken();
    return failure;
}

Status DataChannel::open(CommandChannel& channel, const std::string& line, std::unique_ptr<Stream>& stream,
                         std::optional<Reply>& finalReply, const std::function<Status()>& earlier, Lead* lead)
{
    // A port asked for ahead saves EPSV's round trip; what the caller sent
    // ahead (SIZE, after that EPSV) is then read once the transfer command is out.
    std::uint16_t port = 0;
    std::function<Status()> pending;
    if (takeKeptPassive(channel, port)) {
        pending = earlier;
    } else if (Status s = passivePort(channel, earlier, port); !s.ok()) {
        return s;
    }
    const auto readEarlier = [&pending]() -> Status {
        const std::function<Status()> run = std::exchange(pending, {});
        return run ? run() : Status::success();
    };
    // Whatever address the server named, the data goes to the host we are
    // talking to: a hostile reply must not point us at another machine.
    SocketAddress peer;
    if (!peerAddress(channel.connection().fd(), peer))
        return channel.failed(Status::failure(ErrorKind::Network, "The control connection was lost"));
    setPort(peer, port);
    Socket socket;
    if (Status s = statusOf(startConnect(peer, socket)); !s.ok())
        return Status::failure(s.kind(), "Cannot open the data connection: " + s.message());
    // The transfer command goes out while TCP connects: the two round trips
    // overlap. A server takes the command and then waits for the connection.
    const Deadline deadline = channel.replyDeadline();
    // The lead depends on the answers read by `earlier` (REST on SIZE's).
    if (lead && lead->line) {
        if (Status s = readEarlier(); !s.ok())
            return s;
    }
    const std::string leadLine = lead && lead->line ? lead->line() : std::string();
    if (!leadLine.empty()) {
        if (Status s = channel.sendAhead(leadLine, deadline); !s.ok())
            return s;
    }
    if (Status s = channel.sendAhead(line, deadline); !s.ok())
        return s;
    if (Status s = statusOf(finishConnect(socket, deadline)); !s.ok())
        return connectFailed(channel, line, !leadLine.empty(), readEarlier,
                             Status::failure(s.kind(), "Cannot open the data connection: " + s.message()));
    // Uploads leave in large writes whose tail is a small segment; Nagle would
    // hold each tail back until the peer's acknowledgement came in.
    const int on = 1;
    (void)::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::unique_ptr<Stream> data = makePlainStream(std::move(socket));

    // The TLS handshake starts as soon as TCP is up, as curl's does: the
    // server has the transfer command by then (it left first), so its answer
    // and the handshake share their round trips. A server that refused the
    // command never answers the handshake; its reply says why.
    Status protectedStatus = Status::success();
    if (protect_)
        protectedStatus = protect_.start(data);
    if (Status s = readEarlier(); !s.ok())
        return s;
    Reply reply;
    if (!leadLine.empty()) {
        if (Status s = channel.readAhead(reply, deadline); !s.ok())
            return s;
        lead->reply = reply;
    }
    if (Status s = channel.readAhead(reply, deadline, true); !s.ok())
        return s;
    switch (classify(reply.code)) {
    case ReplyClass::Preliminary:
        break;
    case ReplyClass::Done:
        finalReply = reply;
        break;
    case ReplyClass::TransientRefusal:
    case ReplyClass::PermanentRefusal:
        return refusal(line, reply);
    default:
        return unexpected(line, reply);
    }
    if (protect_ && protectedStatus.ok())
        protectedStatus = protect_.finish(*data, channel.replyDeadline());
    if (!protectedStatus.ok())
        return Status::failure(protectedStatus.kind(), "Cannot protect the data connection: " + protectedStatus.message());
    stream = std::move(data);
    return Status::success();
}

DataChannel::Wait DataChannel::waitForData(Stream& stream, IoResult::State want, ControlConnection* watchControl,
                                           Deadline deadline)
{
    if (want == IoResult::State::WantRead && stream.buffered() > 0)
        return Wait::DataReady;
    if (watchControl && watchControl->hasBufferedInput())
        return Wait::ControlReady;
    const short events = want == IoResult::State::WantWrite ? POLLOUT : POLLIN;
    for (;;) {
        pollfd entries[2] = {{stream.fd(), events, 0}, {watchControl ? watchControl->fd() : -1, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return Wait::TimedOut;
        const int ready = ::poll(entries, watchControl ? 2 : 1, int(left.count()) + 1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Wait::Failed;
        }
        if (ready == 0)
            continue;
        if (entries[0].revents != 0)
            return Wait::DataReady;
        // Readable is not yet a reply: an encrypted link may carry records of its own.
        if (watchControl && entries[1].revents != 0 && watchControl->hasPendingInput())
            return Wait::ControlReady;
    }
}

} // namespace ftp
