#include "sftp/sftp_channel.h"

#include <algorithm>
#include <cstring>

namespace sftp {
namespace {

using Clock = std::chrono::steady_clock;

// A server may answer a request twice by mistake; one that keeps answering
// requests never made is talking to someone else.
constexpr std::size_t maxStrayAnswers = 16;

// libssh opens the channel's window as wide as the read asked for whenever
// the bytes buffered and the window left are fewer: asking this much keeps
// the server from waiting for a window adjustment while our 4 MiB of read
// requests are answered (libssh's own width is 1.25 MB).
constexpr std::size_t readChunk = 8 * 1024 * 1024;
// Asking for all of it on every read would top the window up after every
// answer, one small packet of our own each time; asking only for what the
// window still allows sends none, until it has shrunk below this.
constexpr std::size_t windowRefill = readChunk / 4 * 3;

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 24 * 3600 * 1000));
}

} // namespace

Status Channel::open(ssh_session ssh, std::chrono::milliseconds timeout)
{
    ssh_ = ssh;
    timeout_ = timeout;
    broken_ = false;
    brokenReason_.clear();
    start_ = end_ = 0;
    windowLeft_ = 0;
    strayAnswers_ = 0;
    awaiting_.clear();
    queued_.clear();
    channel_ = ssh_channel_new(ssh);
    if (!channel_)
        return fail(ErrorKind::Network, "Cannot open an SSH channel");
    if (ssh_channel_open_session(channel_) != SSH_OK)
        return fail(ErrorKind::Network, std::string("The server refused a session channel: ") + ssh_get_error(ssh));
    if (ssh_channel_request_subsystem(channel_, "sftp") != SSH_OK)
        return fail(ErrorKind::Refused, std::string("The server offers no SFTP: ") + ssh_get_error(ssh));

    std::string init;
    RequestWriter::init(3).finishInto(init);
    if (Status s = send(init); !s.ok())
        return s;
    std::string_view body;
    if (Status s = nextMessage(body, Clock::now() + timeout_); !s.ok())
        return s;
    const auto version = parseVersion(body);
    if (!version)
        return fail(ErrorKind::Protocol, "The server's SFTP greeting makes no sense");
    if (*version < 3)
        return fail(ErrorKind::Protocol, "The server speaks SFTP version " + std::to_string(*version)
                                             + "; version 3 is needed");
    return Status::success();
}

void Channel::sendEnd()
{
    if (usable())
        (void)ssh_channel_send_eof(channel_);
}

void Channel::drop()
{
    awaiting_.clear();
    queued_.clear();
    channel_ = nullptr;
    ssh_ = nullptr;
    broken_ = true;
    brokenReason_ = "The connection is closed";
}

Status Channel::fail(ErrorKind kind, std::string message)
{
    if (!broken_) {
        broken_ = true;
        brokenKind_ = kind;
        brokenReason_ = message;
    }
    return Status::failure(kind, std::move(message));
}

Status Channel::brokenStatus() const
{
    return Status::failure(brokenKind_ == ErrorKind::Refused ? ErrorKind::Network : brokenKind_,
                           brokenReason_.empty() ? "The connection is closed" : brokenReason_);
}

Status Channel::send(std::string& bytes)
{
    if (!usable())
        return brokenStatus();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        // libssh waits for the server's window within the session's time-out,
        // and comes back with less than asked when the time is up.
        const std::size_t piece = std::min<std::size_t>(bytes.size() - sent, 1u << 20);
        const int written = ssh_channel_write(channel_, bytes.data() + sent, std::uint32_t(piece));
        if (written <= 0) {
            bytes.clear();
            return fail(ErrorKind::Network, std::string("Sending to the server failed: ") + ssh_get_error(ssh_));
        }
        sent += std::size_t(written);
        if (std::size_t(written) < piece && ssh_channel_window_size(channel_) == 0) {
            bytes.clear();
            return fail(ErrorKind::Timeout, "The server took no data within the time-out");
        }
    }
    bytes.clear();
    return Status::success();
}

bool Channel::wholeMessageBuffered() const
{
    const std::string_view rest = unread();
    const auto length = messageLength(rest);
    return length && rest.size() - 4 >= *length;
}

Status Channel::nextMessage(std::string_view& body, Clock::time_point deadline)
{
    // One deadline for the whole message: a server sending a byte at a time
    // does not stretch the wait.
    while (!wholeMessageBuffered()) {
        if (Status s = fill(deadline); !s.ok())
            return s;
    }
    const std::string_view rest = unread();
    const std::uint32_t length = *messageLength(rest);
    body = rest.substr(4, length);
    start_ += 4 + length;
    return Status::success();
}

void Channel::makeRoom()
{
    if (start_ == end_)
        start_ = end_ = 0;
    if (capacity_ - end_ >= readChunk)
        return;
    // What is left unread is at most one message, short beside the room.
    const std::size_t unreadSize = end_ - start_;
    if (capacity_ < unreadSize + readChunk) {
        const std::size_t grown = unreadSize + readChunk;
        auto bigger = std::make_unique_for_overwrite<char[]>(grown);
        if (unreadSize > 0)
            std::memcpy(bigger.get(), buffer_.get() + start_, unreadSize);
        buffer_ = std::move(bigger);
        capacity_ = grown;
    } else if (unreadSize > 0) {
        std::memmove(buffer_.get(), buffer_.get() + start_, unreadSize);
    }
    start_ = 0;
    end_ = unreadSize;
}

// Reads what arrives before `deadline` into the buffer; at least one byte
// or a failure.
Status Channel::fill(Clock::time_point deadline)
{
    if (!usable())
        return brokenStatus();
    if (const auto length = messageLength(unread()); length && *length > maxMessageLength)
        return fail(ErrorKind::Protocol, "The server sent an SFTP message of " + std::to_string(*length) + " bytes");

    makeRoom();
    for (;;) {
        const std::size_t ask = windowLeft_ >= windowRefill ? windowLeft_ : readChunk;
        const int count = ssh_channel_read_timeout(channel_, buffer_.get() + end_, std::uint32_t(ask), 0,
                                                   std::max(1, millisecondsUntil(deadline)));
        windowLeft_ = ask - std::size_t(std::max(count, 0));
        if (count > 0) {
            end_ += std::size_t(count);
            return Status::success();
        }
        if (count < 0 || ssh_channel_is_eof(channel_) || ssh_channel_is_closed(channel_)) {
            return fail(ErrorKind::Network, count < 0 ? std::string("The connection broke: ") + ssh_get_error(ssh_)
                                                      : std::string("The server closed the connection"));
        }
        if (Clock::now() >= deadline)
            return fail(ErrorKind::Timeout, "The server did not answer within the time-out");
    }
}

bool Channel::takeStrayAnswer()
{
    if (!wholeMessageBuffered())
        return false;
    const std::string_view rest = unread();
    const std::uint32_t length = *messageLength(rest);
    // The type byte, then the id: a message too short for one is the
    // receiver's to refuse.
    const auto id = messageLength(rest.substr(std::min<std::size_t>(5, rest.size())));
    if (length < 5 || !id || awaiting_.contains(*id))
        return false;
    start_ += 4 + length;
    ++strayAnswers_;
    return true;
}

bool Channel::answerWaiting()
{
    // Answers to requests never made are no answer to wait for; too many of
    // them are, for the caller's next take to report.
    const auto answerBuffered = [this] {
        while (takeStrayAnswer()) {
            if (strayAnswers_ > maxStrayAnswers)
                return true;
        }
        return wholeMessageBuffered();
    };
    if (answerBuffered())
        return true;
    if (!usable())
        return true;  // the caller's next receive reports the failure at once
    makeRoom();
    // Reads no more than is buffered: never tops the window up.
    const int count = ssh_channel_read_nonblocking(channel_, buffer_.get() + end_, readChunk, 0);
    end_ += std::size_t(std::max(count, 0));
    windowLeft_ -= std::min(windowLeft_, std::size_t(std::max(count, 0)));
    return count < 0 || answerBuffered();
}

std::uint32_t Channel::ask(RequestWriter request, AnswerHandler handler)
{
    const std::uint32_t id = request.id();
    request.finishInto(queued_);
    awaiting_[id] = Awaited{std::move(handler), Clock::now()};
    return id;
}

std::uint32_t Channel::askClose(const std::string& handle, AnswerHandler handler)
{
    return ask(RequestWriter(MessageType::Close, nextId()).addString(handle), std::move(handler));
}

Status Channel::flush()
{
    if (queued_.empty())
        return usable() ? Status::success() : brokenStatus();
    return send(queued_);
}

void Channel::forget(std::uint32_t id)
{
    if (const auto found = awaiting_.find(id); found != awaiting_.end())
        found->second.handler = nullptr;
}

Status Channel::takeNext()
{
    return takeNextBefore(Clock::now() + timeout_);
}

Status Channel::takeNextBefore(Clock::time_point deadline)
{
    if (Status s = flush(); !s.ok())
        return s;
    for (;;) {
        if (strayAnswers_ > maxStrayAnswers)
            return fail(ErrorKind::Protocol, "The server keeps sending answers to requests that were never made");
        std::string_view body;
        if (Status s = nextMessage(body, deadline); !s.ok())
            return s;
        auto parsed = parseResponse(body);
        if (!parsed)
            return fail(ErrorKind::Protocol, "The server sent an SFTP message that makes no sense");
        if (!awaiting_.contains(parsed->id)) {
            ++strayAnswers_;
            continue;
        }
        return deliver(*parsed);
    }
}

Status Channel::deliver(Response& answer)
{
    const auto found = awaiting_.find(answer.id);
    // Out of the table before the handler runs: it may ask again.
    const AnswerHandler handler = std::move(found->second.handler);
    awaiting_.erase(found);
    lastAnswer_ = Clock::now();
    if (handler)
        handler(answer);
    return Status::success();
}

Status Channel::waitFor(std::uint32_t id)
{
    if (Status s = flush(); !s.ok())
        return s;
    // Requests sent together are answered one after another: one waiting
    // behind others that are being answered waits no longer than they do.
    const auto made = awaiting_.find(id);
    auto deadline = (made != awaiting_.end() ? std::max(made->second.made, lastAnswer_) : Clock::now()) + timeout_;
    while (awaiting(id)) {
        if (Status s = takeNextBefore(deadline); !s.ok())
            return s;
        deadline = std::max(deadline, Clock::now() + timeout_);
    }
    return Status::success();
}

Status Channel::call(RequestWriter request, Response& response)
{
    const std::uint32_t id = ask(std::move(request), [&response](Response& answer) { response = std::move(answer); });
    const Status status = waitFor(id);
    forget(id);  // the handler refers to `response`, gone when this returns
    return status;
}

} // namespace sftp
