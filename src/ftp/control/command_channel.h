#pragma once
// The command channel: command lines out, each with the handler of its reply,
// the replies in, in the order sent, and the state of the link. Every other
// part of the session talks to the server through here.

#include "ftp/control/control_connection.h"
#include "ftp/control/link_memory.h"
#include "ftp/control/reply.h"
#include "ftp/transport/socket.h"
#include "ftp/status.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ftp {

// Where the link to the server stands. Changed only by CommandChannel's
// named transitions below, each of which keeps the rest of the link in step.
enum class LinkState {
    Closed,        // no control connection
    LoggingOn,     // connected, logon steps running
    Ready,         // logged on, idle: commands may go out
    Transferring,  // a file transfer holds the data connection; its final reply is due
    Dropped,       // the server closed the control connection (421, or the end of the
                   // stream), as servers do with idle ones: logging on again may help
    Broken,        // we gave up on the server (no answer in time, a reply that makes
                   // no sense) and closed the connection; only close() helps
};

class CommandChannel {
public:
    // A command may be kept waiting with "150 ..." lines only so often: a
    // server that sends them without end would otherwise hold us for ever.
    static constexpr int maxPreliminaryReplies = 16;

    explicit CommandChannel(std::chrono::milliseconds timeout) : timeout_(timeout) {}

    LinkState state() const { return state_; }

    // The link's life. Each transition is the only way into its state; those
    // that end the link close the connection, and Closed destroys its memory.
    // Connects (Closed -> LoggingOn), with a fresh memory of the link.
    Status connect(const std::string& host, std::uint16_t port);
    // LoggingOn -> Ready.
    void loggedOn();
    // Ready -> Transferring: a transfer holds the data connection until transferClosed().
    void transferOpened();
    // The transfer is over: Transferring -> Ready; a link lost meanwhile stays lost.
    void transferClosed();
    // The transfer was dropped with the link about to go: a Transferring link
    // stays out of step (its final reply is due), so no QUIT goes out on it.
    void transferAbandoned() { transferOpen_ = false; }
    // True from transferOpened() to transferClosed(), even when the link was
    // lost meanwhile: the transfer's owner still has to close it.
    bool transferOpen() const { return transferOpen_; }
    // The server ended the control connection (421, or the end of the stream).
    void dropped();
    // We gave up on the server (no answer in time, nonsense) and closed it.
    void broken();
    // Sends QUIT when the link allows it, without waiting for its answer,
    // and closes: -> Closed.
    void close();
    // Closes without a word to the server, as when the process ends: -> Closed.
    void drop();

    // What this link knows, from connect() until it is Closed. Only a
    // connected link has one to change; a closed one reads as knowing nothing.
    LinkMemory& link() { return *link_; }
    const LinkMemory& link() const;
    ControlConnection& connection() { return control_; }

    std::chrono::milliseconds timeout() const { return timeout_; }
    Deadline replyDeadline() const { return deadlineAfter(timeout_); }

    // Success when a command may go out now; otherwise why not.
    Status ready() const;

    // The queue of commands (RFC 959 lets a client send a command before the
    // previous reply arrives, as long as it reads the replies in order): each
    // command goes out at once with the handler of its reply, and await()
    // reads the replies in the order sent, each to its command's handler.
    // Replies nobody needs are read and dropped in their turn. Never around
    // ABOR, which some servers discard with what came before it.
    //
    // Sends `line` now; `onReply` (empty: nobody needs the reply, as with
    // OPTS UTF8 ON) takes its final reply, or with Answer::First its first
    // one, a "1xx" too (a transfer command's).
    enum class Answer { Final, First };
    Status send(std::string_view line, ReplyHandler onReply, Deadline deadline, Answer answer = Answer::Final);
    // Reads replies in order until every command sent with a handler has had
    // its reply. Returns the first failure: the link's, which ends it and so
    // every reply due, or a handler's, after which the others are still read.
    Status await(Deadline deadline);
    // One command on its own: send() and await() before one deadline,
    // `timeout` from now.
    Status command(std::string_view line, ReplyHandler onReply);

    // Sends `line` for a later taker, who claims its reply with claimKept()
    // when it is the next one due, soon enough. Anything else that reads
    // replies before that drops it, as one nobody needs (an EPSV asked for the
    // next transfer while this one is checked, when something else comes first).
    Status keep(std::string_view line, Deadline deadline);
    // Reads the kept reply into `onReply` and names its command in `verb`,
    // when it is the next reply due and still fresh (a few seconds); false
    // otherwise (another command took its place, the link was reset, it is
    // stale, or it could not be read).
    bool claimKept(std::string& verb, ReplyHandler onReply, Deadline deadline);

    // Reads and drops replies nobody asked for, without waiting for more.
    // A closed connection found here (421, or the end) leaves the link Dropped.
    Status dropStrayReplies(Deadline deadline);

    // Outside the queue: replies that answer no command of it (the greeting,
    // a transfer's replies after its first, what ABOR draws) and the lines
    // that draw them during a transfer (ABOR, then NOOP to mark the end).
    // Reads the next reply that is not preliminary (1xx), unless
    // `keepPreliminary`. Each 1xx counts against the command's allowance.
    Status readReply(Reply& reply, Deadline deadline, bool keepPreliminary = false);
    // The same, except that running out of time leaves the link as it is:
    // for a reply a server may rightly never send (after ABOR).
    Status readReplyIfAny(Reply& reply, Deadline deadline, bool keepPreliminary = false);
    Status sendDuringTransfer(std::string_view line, Deadline deadline);

    // When the link broke: whether the command in flight may have been carried
    // out by the server (it went out, and no 421 said it was not), and its verb.
    bool lastCommandMayHaveRun() const { return inFlight_.sent && !inFlight_.refused; }
    const std::string& lastVerb() const { return inFlight_.verb; }

    // A failure on the control connection leaves it out of step with the
    // server: the link becomes Dropped when the server ended it, else Broken.
    // Other failures pass through untouched.
    Status failed(Status status);

private:
    // Enters `state`, closing the connection when the link ends.
    void enter(LinkState state);

    // Sends one line: its verb becomes the one in flight.
    Status transmit(std::string_view line, Deadline deadline);
    // Reads the next reply that can answer `verb`, passing over late ones.
    Status readAnswer(std::string_view verb, Reply& reply, bool keepPreliminary, Deadline deadline);
    // Reads the oldest reply due into its command's handler.
    Status readOldest(Deadline deadline);
    // Reads the replies in front that nobody awaits (dropped, or kept for a claim).
    Status readUnawaited(Deadline deadline);
    bool keptInFront() const;  // the oldest reply due was sent with keep()
    bool keptIsStale() const;  // of that one
    Status learnByteFF(Deadline deadline);

    std::chrono::milliseconds timeout_;
    LinkState state_ = LinkState::Closed;
    bool transferOpen_ = false;
    std::unique_ptr<LinkMemory> link_;
    ControlConnection control_;
    struct InFlight {
        std::string verb;
        bool sent = false;
        bool refused = false;  // answered 421: the server did not carry it out
    } inFlight_;
    int preliminaryReplies_ = 0;
};

// Handlers for the usual replies: keep it for the caller to judge; require a
// 2xx of it (what: the command, for the message).
ReplyHandler storeReply(Reply& reply);
ReplyHandler requireDone(std::string what);

// Message builders shared by every command.
Status refusal(std::string_view what, const Reply& reply);
Status unexpected(std::string_view what, const Reply& reply);
// Success for any 2xx, a refusal for 4xx/5xx, a protocol failure otherwise.
Status doneOrRefused(std::string_view what, const Reply& reply);
// The same for a command that needs a second one (RNFR): success for any 3xx.
Status moreOrRefused(std::string_view what, const Reply& reply);

// Sends `line`, requires a 2xx and reads what its text carries with `parse`
// (PWD's folder, PASV's port); a reply `parse` cannot read is unexpected.
template <typename Parse, typename Value>
Status commandCarrying(CommandChannel& channel, std::string_view line, Parse&& parse, Value& value)
{
    Reply reply;
    if (Status s = channel.command(line, storeReply(reply)); !s.ok())
        return s;
    if (Status s = doneOrRefused(line, reply); !s.ok())
        return s;
    auto parsed = parse(reply.text);
    if (!parsed)
        return unexpected(line, reply);
    value = std::move(*parsed);
    return Status::success();
}

// "VERB argument", or just "VERB" without an argument.
std::string withArgument(std::string_view verb, std::string_view argument);
// A path an operation can use: not empty, and sendable (no CR, LF or NUL).
// The sender refuses such a line anyway; an operation checks first so that it
// never stops halfway with part of its commands sent (RNFR without RNTO).
Status checkPath(std::string_view path, bool mayBeEmpty = false);

} // namespace ftp
