#pragma once
// The SFTP subsystem's channel on an open SSH session: whole requests out,
// whole answers in, every wait bounded by the time-out. A failed or timed-out
// read or write breaks the channel for good, as the request and answer
// streams can no longer be trusted to line up.

#include "sftp/sftp_messages.h"
#include "session/status.h"

#include <libssh/libssh.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <string>
#include <unordered_map>

namespace sftp {

using session::ErrorKind;
using session::Status;

// What is done with one answer when it comes; it may ask further requests.
using AnswerHandler = std::function<void(Response&)>;

// Requests go out with their handler entered in one table of requests
// awaiting answers, keyed by id, as libssh's per-session queue does: each
// answer that comes goes to its own request's handler, whichever request
// was being waited for. Nothing meant for one request is lost while another
// waits.
class Channel {
public:
    Channel() = default;
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Opens a session channel on `ssh`, starts the "sftp" subsystem and
    // agrees on version 3.
    Status open(ssh_session ssh, std::chrono::milliseconds timeout);
    // Ends what the server's subsystem reads, so the server lets go of the
    // session at once rather than when the end of the link reaches it.
    void sendEnd();
    // Forgets the channel; libssh frees it with its session.
    void drop();
    bool usable() const { return channel_ != nullptr && !broken_; }

    std::uint32_t nextId() { return ++lastId_; }

    // Queues `request` (built with an id from nextId()) to go out with the
    // next flush or wait, its answer to go to `handler`. Returns the id read
    // from the request. An empty handler throws the answer away.
    std::uint32_t ask(RequestWriter request, AnswerHandler handler);
    // Queues the CLOSE of `handle`.
    std::uint32_t askClose(const std::string& handle, AnswerHandler handler = {});
    // Sends what is queued, in one write.
    Status flush();
    // Sends what is queued and hands answers to their handlers until `id`'s
    // has come (at once when it came before). The time-out counts from the
    // request, and starts again only for an answer to another request.
    Status waitFor(std::uint32_t id);
    // Sends what is queued and hands the next answer to its handler.
    Status takeNext();
    // The answer to `id` is thrown away when it comes: whoever asked is gone.
    void forget(std::uint32_t id);
    bool awaiting(std::uint32_t id) const { return awaiting_.contains(id); }

    // Sends one request and waits for its answer.
    Status call(RequestWriter request, Response& response);

    // True when a whole answer is here already; takes what the link holds
    // without waiting.
    bool answerWaiting();
    // True when an answer has begun to arrive: the rest is on its way in the
    // same burst, so waiting for it is not waiting for the server.
    bool answerArriving() const { return !unread().empty(); }

    // The failure of the link as a status, for whoever asks after it broke.
    Status brokenStatus() const;

private:
    using Clock = std::chrono::steady_clock;

    // One request awaiting its answer.
    struct Awaited {
        AnswerHandler handler;
        Clock::time_point made;
    };

    Status fail(ErrorKind kind, std::string message);
    Status send(std::string& bytes);
    Status fill(Clock::time_point deadline);
    bool wholeMessageBuffered() const;
    // The body of the next whole message, all of it before `deadline`; it
    // stays in the buffer until the next read from the link.
    Status nextMessage(std::string_view& body, Clock::time_point deadline);
    // Hands the next answer, come before `deadline`, to its handler.
    Status takeNextBefore(Clock::time_point deadline);
    // Hands `answer`, to a request in the table, to its handler.
    Status deliver(Response& answer);
    // Takes a whole buffered answer to no request in flight; false when the
    // next message is not one.
    bool takeStrayAnswer();

    ssh_session ssh_ = nullptr;
    ssh_channel channel_ = nullptr;
    std::chrono::milliseconds timeout_{30000};
    std::uint32_t lastId_ = 0;
    bool broken_ = false;
    std::string brokenReason_;
    ErrorKind brokenKind_ = ErrorKind::Network;
    std::unordered_map<std::uint32_t, Awaited> awaiting_;
    // Answers to requests never made; a few are a server's slip, more a fault.
    std::size_t strayAnswers_ = 0;
    Clock::time_point lastAnswer_;  // when the last answer to a request came
    std::string queued_;  // requests asked but not yet sent
    // Makes room for a read at the end of the buffer.
    void makeRoom();
    std::string_view unread() const { return {buffer_.get() + start_, end_ - start_}; }

    // Received bytes from `start_` to `end_` are not taken yet. Not a string:
    // growing one would fill each read's room with zeros first.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    // What libssh's buffer and the window left let the server still send, as
    // far as our reads tell: asking for no more than this sends no window
    // adjustment.
    std::size_t windowLeft_ = 0;
};

} // namespace sftp
