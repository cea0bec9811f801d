#pragma once
// The byte stream under the control connection and every data connection.
// A plain TCP stream today; after "234" to AUTH TLS a TLS stream is wrapped
// over the same socket. The session talks to this seam only, so nothing above
// it asks whether the link is encrypted.

#include "ftp/transport/socket.h"
#include "ftp/status.h"

#include <cstddef>
#include <memory>
#include <string>

namespace ftp {

// What one non-blocking call did.
struct IoResult {
    enum class State {
        Moved,       // `count` bytes moved (count > 0)
        WantRead,    // nothing moved: wait until the socket is readable, then call again
        WantWrite,   // nothing moved: wait until the socket is writable, then call again
        End,         // read side only: the peer ended the stream cleanly
        Failed,      // the stream is broken; `error` says why
    };
    State state = State::Failed;
    std::size_t count = 0;
    Status error;  // set when state is Failed
};

class Stream {
public:
    virtual ~Stream() = default;

    // One read or write without waiting.
    virtual IoResult readSome(char* buffer, std::size_t size) = 0;
    virtual IoResult writeSome(const char* data, std::size_t size) = 0;
    // Bytes already received and decoded that readSome hands out without
    // touching the socket. A wait for input asks this first, then polls.
    virtual std::size_t buffered() const = 0;
    // Waits until a readSome/writeSome that answered `want` can go on, or
    // `deadline` passes. Input already buffered counts as ready.
    virtual WaitResult wait(IoResult::State want, Deadline deadline) = 0;
    // Ends the stream in an orderly way before `deadline` (for TLS: sends
    // close_notify so the peer does not take the end for a truncation).
    // The socket stays open until the stream is destroyed.
    virtual Status shutdown(Deadline deadline) = 0;
    // The socket underneath, for the peer address and for polling.
    virtual int fd() const = 0;
    // After a failed read: raw bytes this layer met and could not decode (a
    // TLS layer given bytes that are no record), so that the layer above may
    // recognise its own protocol's words in them. Empty otherwise.
    virtual std::string undecodedInput() const { return {}; }
    // After End: whether the peer said within its own protocol that the
    // stream was over (TLS close_notify), so that nobody on the path can have
    // cut it short by closing the socket. A plain stream has no such word and
    // always answers true.
    virtual bool endConfirmed() const { return true; }
};

// The plain TCP stream; owns the socket.
std::unique_ptr<Stream> makePlainStream(Socket socket);

// One step that moves bytes: repeats `step` (a readSome or writeSome) while it
// asks to wait, waiting through `wait` (which answers with success to try
// again, or with why not), until bytes moved, the stream ended or it failed.
// A failed wait comes back as a failed step carrying the wait's reason.
template <typename Step, typename Wait>
IoResult moveSome(Step&& step, Wait&& wait)
{
    for (;;) {
        IoResult result = step();
        if (result.state != IoResult::State::WantRead && result.state != IoResult::State::WantWrite)
            return result;
        if (Status why = wait(result.state); !why.ok())
            return {IoResult::State::Failed, 0, std::move(why)};
    }
}

// Writes every byte before `deadline`, waiting as the stream asks.
Status writeAll(Stream& stream, const char* data, std::size_t size, Deadline deadline);

} // namespace ftp
