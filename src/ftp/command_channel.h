#pragma once
// The command channel: one command line out, its reply in, and the state of
// the link. Every other part of the session talks to the server through here.

#include "control_connection.h"
#include "reply.h"
#include "socket.h"
#include "status.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace ftp {

// Where the link to the server stands. Changed only by CommandChannel::setState.
enum class LinkState {
    Closed,        // no control connection
    LoggingOn,     // connected, logon steps running
    Ready,         // logged on, idle: commands may go out
    Transferring,  // a file transfer holds the data connection; its final reply is due
    Broken,        // the control connection failed and was dropped; only close() helps
};

// What the server said it can do, learnt during logon. Reset as a whole.
struct ServerFeatures {
    bool mlst = false;         // MLST listed in FEAT: listings use MLSD
    bool utf8 = false;         // names and paths travel as UTF-8
    bool epsvRefused = false;  // EPSV refused for good (5xx): PASV from then on
};

class CommandChannel {
public:
    explicit CommandChannel(std::chrono::milliseconds timeout) : timeout_(timeout) {}

    LinkState state() const { return state_; }
    // The one place the link state changes. Closed and Broken drop the connection.
    void setState(LinkState state);

    ServerFeatures& features() { return features_; }
    const ServerFeatures& features() const { return features_; }
    ControlConnection& connection() { return control_; }

    std::chrono::milliseconds timeout() const { return timeout_; }
    Deadline replyDeadline() const { return deadlineAfter(timeout_); }

    // Connects and enters LoggingOn; features start from nothing.
    Status connect(const std::string& host, std::uint16_t port);
    // Success when a command may go out now; otherwise why not.
    Status ready() const;

    Status send(std::string_view line);
    // Reads the next reply that is not preliminary (1xx), unless `keepPreliminary`.
    Status readReply(Reply& reply, bool keepPreliminary = false);
    // Drops stray replies, sends `line`, reads its reply.
    Status command(std::string_view line, Reply& reply, bool keepPreliminary = false);

    // A failure on the control connection leaves it out of step with the
    // server: the link becomes Broken. Other failures pass through untouched.
    Status failed(Status status);

    // Sends QUIT when the link allows it (waiting briefly for the answer when
    // asked) and closes.
    void close(bool waitForQuit);

private:
    std::chrono::milliseconds timeout_;
    LinkState state_ = LinkState::Closed;
    ServerFeatures features_;
    ControlConnection control_;
};

// Message builders shared by every command.
Status refusal(std::string_view what, const Reply& reply);
Status unexpected(std::string_view what, const Reply& reply);
// Success for any 2xx, a refusal for 4xx/5xx, a protocol failure otherwise.
Status doneOrRefused(std::string_view what, const Reply& reply);

// "VERB argument", or just "VERB" without an argument.
std::string withArgument(std::string_view verb, std::string_view argument);
// A path that can be sent: not empty, no CR, LF or NUL.
Status checkPath(const std::string& path);

} // namespace ftp
