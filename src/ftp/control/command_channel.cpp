#include "ftp/control/command_channel.h"

#include <algorithm>

namespace ftp {

namespace {

// QUIT is a courtesy: never wait long for its answer.
constexpr std::chrono::milliseconds quitWait{2000};
// A reply kept for a later taker is taken only this soon after it was asked
// for, and dropped before the next command once older. The taker (the next
// transfer of a batch) comes within milliseconds; a server may forget what
// was asked long before (pyftpdlib closes an unused passive port after 30 s).
constexpr std::chrono::seconds keptReplyAge{3};

bool isControlFailure(const Status& status)
{
    return status.kind() == ErrorKind::Timeout || status.kind() == ErrorKind::Network
        || status.kind() == ErrorKind::Protocol;
}

// Broken pipes, resets and the end of the stream: the server's doing.
bool isClosedByServer(const Status& status)
{
    return status.kind() == ErrorKind::Network;
}

} // namespace

void CommandChannel::enter(LinkState state)
{
    state_ = state;
    if (state == LinkState::Closed || state == LinkState::Dropped || state == LinkState::Broken) {
        control_.close();
        // No reply due can come on a closed connection.
        if (link_)
            link_->due.clear();
    }
    if (state == LinkState::Closed) {
        transferOpen_ = false;
        link_.reset();
    }
}

Status CommandChannel::connect(const std::string& host, std::uint16_t port)
{
    enter(LinkState::Closed);
    if (Status s = control_.connect(host, port, deadlineAfter(timeout_)); !s.ok())
        return s;
    link_ = std::make_unique<LinkMemory>();
    enter(LinkState::LoggingOn);
    return Status::success();
}

const LinkMemory& CommandChannel::link() const
{
    static const LinkMemory none;
    return link_ ? *link_ : none;
}

void CommandChannel::loggedOn()
{
    if (state_ == LinkState::LoggingOn)
        enter(LinkState::Ready);
}

void CommandChannel::transferOpened()
{
    transferOpen_ = true;
    if (state_ == LinkState::Ready)
        enter(LinkState::Transferring);
}

void CommandChannel::transferClosed()
{
    transferOpen_ = false;
    if (state_ == LinkState::Transferring)
        enter(LinkState::Ready);
}

void CommandChannel::dropped()
{
    enter(LinkState::Dropped);
}

void CommandChannel::broken()
{
    enter(LinkState::Broken);
}

Status CommandChannel::ready() const
{
    switch (state_) {
    case LinkState::Dropped:
    case LinkState::Broken:
        return Status::failure(ErrorKind::WrongState, "The connection to the server was lost");
    case LinkState::Closed:
    case LinkState::LoggingOn:
        return Status::failure(ErrorKind::WrongState, "Not connected to a server");
    case LinkState::Transferring:
        return Status::failure(ErrorKind::WrongState, "A file transfer is still open on this connection");
    case LinkState::Ready:
        break;
    }
    return Status::success();
}

Status CommandChannel::failed(Status status)
{
    if (isControlFailure(status))
        enter(isClosedByServer(status) ? LinkState::Dropped : LinkState::Broken);
    return status;
}

Status CommandChannel::transmit(std::string_view line, Deadline deadline)
{
    inFlight_ = InFlight{std::string(line.substr(0, line.find(' '))), false, false};
    preliminaryReplies_ = 0;
    if (Status s = failed(control_.send(line, deadline)); !s.ok())
        return s;
    inFlight_.sent = true;
    return Status::success();
}

Status CommandChannel::sendDuringTransfer(std::string_view line, Deadline deadline)
{
    return transmit(line, deadline);
}

Status CommandChannel::readReplyIfAny(Reply& reply, Deadline deadline, bool keepPreliminary)
{
    for (;;) {
        if (Status s = control_.readReply(reply, deadline); !s.ok())
            return s.kind() == ErrorKind::Timeout ? s : failed(s);
        if (reply.code == 421) {
            // "421 Service not available, closing control connection."
            inFlight_.refused = true;
            dropped();
            return Status::failure(ErrorKind::Network, "The server closed the connection: " + reply.text, reply.code);
        }
        if (classify(reply.code) != ReplyClass::Preliminary)
            return Status::success();
        if (++preliminaryReplies_ > maxPreliminaryReplies) {
            return failed(Status::failure(ErrorKind::Protocol,
                                          "The server sent too many preliminary replies: " + reply.text));
        }
        if (keepPreliminary)
            return Status::success();
    }
}

Status CommandChannel::readReply(Reply& reply, Deadline deadline, bool keepPreliminary)
{
    return failed(readReplyIfAny(reply, deadline, keepPreliminary));
}

Status CommandChannel::dropStrayReplies(Deadline deadline)
{
    // A reply nobody asked for (a second answer to an abandoned transfer,
    // say) would otherwise be taken as the answer to the next command.
    // Replies still due to commands sent are no strays; a fresh one kept for
    // the next transfer stays for it, unread.
    if (keptInFront() && !keptIsStale())
        return Status::success();
    if (Status s = readUnawaited(deadline); !s.ok())
        return s;
    if (link_ && !link_->due.empty())
        return Status::success();
    preliminaryReplies_ = 0;
    while (control_.isConnected() && control_.hasPendingInput()) {
        Reply stray;
        if (Status s = readReply(stray, deadline, true); !s.ok())
            return s;
    }
    return Status::success();
}

Status CommandChannel::command(std::string_view line, ReplyHandler onReply)
{
    // One command is a queue of one.
    const Deadline deadline = replyDeadline();
    if (Status s = send(line, std::move(onReply), deadline); !s.ok())
        return s;
    return await(deadline);
}

Status CommandChannel::readAnswer(std::string_view verb, Reply& reply, bool keepPreliminary, Deadline deadline)
{
    // A reply whose code belongs to other commands (pyftpdlib over TLS sends
    // "226 Transfer complete." after a refused RETR once the data connection
    // closes) is a late answer to an earlier command: the command's own answer
    // follows it. Taking it as the answer would leave every later command one
    // reply behind. Such replies count against the allowance for "1xx".
    for (;;) {
        if (Status s = readReply(reply, deadline, keepPreliminary); !s.ok())
            return s;
        if (canAnswer(verb, reply.code))
            return Status::success();
        if (++preliminaryReplies_ > maxPreliminaryReplies)
            return failed(unexpected(verb, reply));
    }
}

Status CommandChannel::send(std::string_view line, ReplyHandler onReply, Deadline deadline, Answer answer)
{
    // Not sent yet: a link found lost before it leaves did not run it.
    inFlight_ = InFlight{std::string(line.substr(0, line.find(' '))), false, false};
    if (!link_)
        return Status::failure(ErrorKind::WrongState, "Not connected to a server");
    // A reply kept for a later taker that never came is read and dropped
    // before anything else goes out once it is old: it has long arrived, and
    // what the server may have sent after it (pyftpdlib's "421 Passive data
    // channel timed out." when nobody connected) must be seen as a stray.
    if (keptInFront() && keptIsStale()) {
        if (Status s = readUnawaited(deadline); !s.ok())
            return s;
    }
    // While a transfer runs, what waits on the connection is its final reply, no stray.
    if (link_->due.empty() && state_ != LinkState::Transferring) {
        if (Status s = dropStrayReplies(deadline); !s.ok())
            return s;
        // The question about 0xFF needs its answer at once: asked only while no reply is due.
        if (line.find('\xff') != std::string_view::npos && control_.byteFF() == ControlConnection::ByteFF::Unknown) {
            if (Status s = learnByteFF(deadline); !s.ok())
                return s;
        }
    }
    if (Status s = transmit(line, deadline); !s.ok())
        return s;
    link_->due.push_back({inFlight_.verb, std::move(onReply), answer == Answer::First, std::nullopt});
    return Status::success();
}

Status CommandChannel::await(Deadline deadline)
{
    const auto awaited = [](const ReplyDue& due) { return bool(due.handler); };
    Status first = Status::success();
    // A failure of the link empties the queue, which ends the loop.
    while (link_ && std::any_of(link_->due.begin(), link_->due.end(), awaited)) {
        if (Status s = readOldest(deadline); !s.ok() && first.ok())
            first = s;
    }
    return first;
}

Status CommandChannel::keep(std::string_view line, Deadline deadline)
{
    if (Status s = send(line, {}, deadline); !s.ok())
        return s;
    link_->due.back().keptSince = Clock::now();
    return Status::success();
}

bool CommandChannel::keptInFront() const
{
    return link_ && !link_->due.empty() && link_->due.front().keptSince;
}

bool CommandChannel::keptIsStale() const
{
    return Clock::now() - *link_->due.front().keptSince > keptReplyAge;
}

bool CommandChannel::claimKept(std::string& verb, ReplyHandler onReply, Deadline deadline)
{
    if (!keptInFront() || keptIsStale())
        return false;
    verb = link_->due.front().verb;
    link_->due.front().handler = std::move(onReply);
    return readOldest(deadline).ok();
}

Status CommandChannel::readOldest(Deadline deadline)
{
    // Taken off first: a failure while reading ends the link, which forgets every reply due.
    const ReplyDue due = std::move(link_->due.front());
    link_->due.pop_front();
    preliminaryReplies_ = 0;
    Reply reply;
    if (Status s = readAnswer(due.verb, reply, due.firstReply, deadline); !s.ok())
        return s;
    return due.handler ? due.handler(reply) : Status::success();
}

// Replies in front that nobody awaits, read and dropped in their turn.
Status CommandChannel::readUnawaited(Deadline deadline)
{
    while (link_ && !link_->due.empty() && !link_->due.front().handler) {
        if (Status s = readOldest(deadline); !s.ok())
            return s;
    }
    return Status::success();
}

// Finds out how the server reads a 0xFF byte before the first command that
// holds one, with a command that changes nothing: "TYPE <IAC IP>I". A server
// that reads Telnet drops IAC IP (ProFTPD and the BSD ftpd take it out of the
// line) and sets the binary type the session uses anyway: 200. One that takes
// bytes as they come refuses the type: vsftpd "500 Unrecognised TYPE
// command.", pyftpdlib "504 Unsupported type", pure-ftpd "504 TYPE is now
// ASCII" (after switching to ASCII: binary is asked for again). Any other
// answer ("530" before logon) leaves the question open for the next time.
// A line that begins with IAC would not do: pure-ftpd answers it with silence.
Status CommandChannel::learnByteFF(Deadline deadline)
{
    using ByteFF = ControlConnection::ByteFF;
    control_.setByteFF(ByteFF::AsIs);  // the probe's own bytes go out as they are
    Reply reply;
    if (Status s = transmit("TYPE \xff\xf4I", deadline); !s.ok())
        return s;
    if (Status s = readReply(reply, deadline); !s.ok())
        return s;
    if (reply.code == 200) {
        control_.setByteFF(ByteFF::Doubled);
        return Status::success();
    }
    const bool typeRefused = reply.code == 500 || reply.code == 501 || reply.code == 504;
    control_.setByteFF(typeRefused ? ByteFF::AsIs : ByteFF::Unknown);
    if (!typeRefused)
        return Status::success();
    if (Status s = transmit("TYPE I", deadline); !s.ok())
        return s;
    return readReply(reply, deadline);
}

void CommandChannel::close()
{
    // While a transfer is open its final reply is still due, and QUIT would be answered out of step.
    if (state_ == LinkState::Ready && control_.isConnected()) {
        const Deadline deadline = deadlineAfter(std::min(timeout_, quitWait));
        // A reply left unread would make closing reset the connection, and
        // the server might lose QUIT with it.
        if (readUnawaited(deadline).ok())
            (void)control_.send("QUIT", deadline);
    }
    drop();
}

void CommandChannel::drop()
{
    enter(LinkState::Closed);
}

ReplyHandler storeReply(Reply& reply)
{
    return [&reply](const Reply& answer) {
        reply = answer;
        return Status::success();
    };
}

ReplyHandler requireDone(std::string what)
{
    return [what = std::move(what)](const Reply& reply) { return doneOrRefused(what, reply); };
}

Status refusal(std::string_view what, const Reply& reply)
{
    return Status::failure(ErrorKind::Refused, "The server refused " + std::string(what) + ": " + reply.text,
                           reply.code);
}

Status unexpected(std::string_view what, const Reply& reply)
{
    return Status::failure(ErrorKind::Protocol, "Unexpected answer to " + std::string(what) + ": " + reply.text,
                           reply.code);
}

namespace {

Status expectClass(ReplyClass expected, std::string_view what, const Reply& reply)
{
    const ReplyClass actual = classify(reply.code);
    if (actual == expected)
        return Status::success();
    if (actual == ReplyClass::TransientRefusal || actual == ReplyClass::PermanentRefusal)
        return refusal(what, reply);
    return unexpected(what, reply);
}

} // namespace

Status doneOrRefused(std::string_view what, const Reply& reply)
{
    return expectClass(ReplyClass::Done, what, reply);
}

Status moreOrRefused(std::string_view what, const Reply& reply)
{
    return expectClass(ReplyClass::More, what, reply);
}

std::string withArgument(std::string_view verb, std::string_view argument)
{
    std::string line(verb);
    if (!argument.empty()) {
        line += ' ';
        line.append(argument);
    }
    return line;
}

Status checkPath(std::string_view path, bool mayBeEmpty)
{
    if (path.empty() && !mayBeEmpty)
        return Status::failure(ErrorKind::InvalidArgument, "No path was given");
    if (!isSafeArgument(path))
        return Status::failure(ErrorKind::InvalidArgument,
                               "The path contains a line break or NUL character and cannot be sent");
    return Status::success();
}

} // namespace ftp
