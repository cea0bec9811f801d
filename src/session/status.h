#pragma once
// The result every operation on a remote server returns, whatever the
// protocol: success, or why it failed.

#include <string>
#include <utility>

namespace session {

enum class ErrorKind {
    None,
    Refused,        // the server understood the request and would not or could not do it
    Protocol,       // the server's reply made no sense, or a line was too long
    Network,        // connect, send or receive failed, or the peer closed
    Timeout,        // nothing arrived within the session's timeout
    InvalidArgument,// a path or name the protocol cannot carry (CR, LF or NUL); nothing was sent
    WrongState,     // e.g. a command while a transfer is open, or not connected
    Insecure,       // the server's certificate or host key was not trusted, or going on in clear was declined
};

class [[nodiscard]] Status {
public:
    Status() = default;
    static Status success() { return Status(); }
    static Status failure(ErrorKind kind, std::string message, int replyCode = 0)
    {
        Status s;
        s.kind_ = kind;
        s.message_ = std::move(message);
        s.replyCode_ = replyCode;
        return s;
    }

    bool ok() const { return kind_ == ErrorKind::None; }
    explicit operator bool() const { return ok(); }
    ErrorKind kind() const { return kind_; }
    // The server's own code for its refusal when it gave one, else 0.
    int replyCode() const { return replyCode_; }
    // Human-readable description, including the server's own text when there is one.
    const std::string& message() const { return message_; }

private:
    ErrorKind kind_ = ErrorKind::None;
    int replyCode_ = 0;
    std::string message_;
};

} // namespace session
