#pragma once
// The SFTP subsystem's channel on an open SSH session: whole requests out,
// whole answers in, every wait bounded by the time-out. A failed or timed-out
// read or write breaks the channel for good, as the request and answer
// streams can no longer be trusted to line up. Answers to requests never made
// are passed by, a few of them: a server that keeps sending them is broken.

#include "sftp/sftp_messages.h"
#include "session/status.h"

#include <libssh/libssh.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string_view>
#include <string>
#include <unordered_map>

namespace sftp {

using session::ErrorKind;
using session::Status;

class Channel {
public:
    Channel() = default;
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Opens a session channel on `ssh`, starts the "sftp" subsystem and
    // agrees on version 3.
    Status open(ssh_session ssh, std::chrono::milliseconds timeout);
    // Forgets the channel; libssh frees it with its session.
    void drop();
    bool usable() const { return channel_ != nullptr && !broken_; }

    // The id of a request about to be sent: from here on it is awaited.
    std::uint32_t nextId();

    // Sends requests built with RequestWriter::finishInto; `bytes` is emptied.
    Status send(std::string& bytes);
    // The next answer to a request in flight, whichever, within the time-out.
    Status receive(Response& response);
    // Waits for the answer to `id`, dropping answers to requests given up on.
    // The time-out counts from the request, and starts again only for an
    // answer to another request, of which there are only so many.
    Status receiveFor(std::uint32_t id, Response& response);
    // True when a whole answer is here already; takes what the link holds
    // without waiting.
    bool answerWaiting();
    // True when an answer has begun to arrive: the rest is on its way in the
    // same burst, so waiting for it is not waiting for the server.
    bool answerArriving() const { return !unread().empty(); }

    // Sends one request and waits for its answer.
    Status call(RequestWriter request, std::uint32_t id, Response& response);
    // Sends two requests in one write and waits for both answers, in
    // whichever order they come: one round trip for two questions.
    Status callBoth(RequestWriter first, std::uint32_t firstId, RequestWriter second, std::uint32_t secondId,
                    Response& firstAnswer, Response& secondAnswer);

    // The failure of the link as a status, for whoever asks after it broke.
    Status brokenStatus() const;

private:
    using Clock = std::chrono::steady_clock;

    Status fail(ErrorKind kind, std::string message);
    Status fill(Clock::time_point deadline);
    bool wholeMessageBuffered() const;
    // The body of the next whole message, all of it before `deadline`.
    Status nextMessage(std::string& body, Clock::time_point deadline);
    // The next answer to a request in flight, before `deadline`.
    Status receiveBefore(Clock::time_point deadline, Response& response);
    // Takes a whole buffered answer to no request in flight; false when the
    // next message is not one.
    bool takeStrayAnswer();

    ssh_session ssh_ = nullptr;
    ssh_channel channel_ = nullptr;
    std::chrono::milliseconds timeout_{30000};
    std::uint32_t lastId_ = 0;
    // Requests in flight, by id, with the time each was made.
    std::unordered_map<std::uint32_t, Clock::time_point> awaited_;
    std::size_t strayAnswers_ = 0;
    bool broken_ = false;
    std::string brokenReason_;
    ErrorKind brokenKind_ = ErrorKind::Network;
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
