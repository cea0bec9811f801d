#include "ftp/command_channel.h"

#include <algorithm>

namespace ftp {

namespace {

// QUIT is a courtesy: never wait long for its answer.
constexpr std::chrono::milliseconds quitWait{2000};

bool isControlFailure(const Status& status)
{
    return status.kind() == ErrorKind::Timeout || status.kind() == ErrorKind::Network
        || status.kind() == ErrorKind::Protocol;
}

} // namespace

void CommandChannel::setState(LinkState state)
{
    state_ = state;
    if (state == LinkState::Closed || state == LinkState::Broken)
        control_.close();
}

Status CommandChannel::connect(const std::string& host, std::uint16_t port)
{
    setState(LinkState::Closed);
    features_ = ServerFeatures{};
    if (Status s = control_.connect(host, port, deadlineAfter(timeout_)); !s.ok())
        return s;
    setState(LinkState::LoggingOn);
    return Status::success();
}

Status CommandChannel::ready() const
{
    switch (state_) {
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
        setState(LinkState::Broken);
    return status;
}

Status CommandChannel::send(std::string_view line)
{
    return failed(control_.send(line, replyDeadline()));
}

Status CommandChannel::readReply(Reply& reply, bool keepPreliminary)
{
    for (;;) {
        if (Status s = failed(control_.readReply(reply, replyDeadline())); !s.ok())
            return s;
        if (reply.code == 421) {
            // "421 Service not available, closing control connection."
            setState(LinkState::Broken);
            return Status::failure(ErrorKind::Network, "The server closed the connection: " + reply.text, reply.code);
        }
        if (keepPreliminary || classify(reply.code) != ReplyClass::Preliminary)
            return Status::success();
    }
}

Status CommandChannel::command(std::string_view line, Reply& reply, bool keepPreliminary)
{
    // A reply nobody asked for (a second answer to an abandoned transfer,
    // say) would otherwise be taken as the answer to this command.
    while (control_.hasPendingInput()) {
        Reply stray;
        if (Status s = readReply(stray, true); !s.ok())
            return s;
    }
    Status status = send(line);
    if (status.ok())
        status = readReply(reply, keepPreliminary);
    return status;
}

void CommandChannel::close(bool waitForQuit)
{
    // While a transfer is open its final reply is still due, and QUIT would be answered out of step.
    if (state_ == LinkState::Ready && control_.isConnected()) {
        const Deadline deadline = deadlineAfter(std::min(timeout_, quitWait));
        if (control_.send("QUIT", deadline).ok() && waitForQuit) {
            Reply reply;
            (void)control_.readReply(reply, deadline);
        }
    }
    setState(LinkState::Closed);
    features_ = ServerFeatures{};
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

Status doneOrRefused(std::string_view what, const Reply& reply)
{
    switch (classify(reply.code)) {
    case ReplyClass::Done:
        return Status::success();
    case ReplyClass::TransientRefusal:
    case ReplyClass::PermanentRefusal:
        return refusal(what, reply);
    default:
        return unexpected(what, reply);
    }
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

Status checkPath(const std::string& path)
{
    if (path.empty())
        return Status::failure(ErrorKind::InvalidArgument, "No path was given");
    if (!isSafeArgument(path))
        return Status::failure(ErrorKind::InvalidArgument,
                               "The path contains a line break or NUL character and cannot be sent");
    return Status::success();
}

} // namespace ftp
