#include "ftp/operations/file_transfer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>

namespace ftp {

namespace {

// A transfer that had begun and then ended without the server's success.
Status brokeOff(std::string_view what, const Reply& reply)
{
    return Status::failure(ErrorKind::Refused,
                           "The transfer broke off (" + std::string(what) + "); the server said: " + reply.text,
                           reply.code);
}

// Transfers move through buffers this large, so that 1024-byte calls from the
// windows rarely cost a system call. A download takes what the socket holds in
// few large reads; an upload gathers the calls into a buffer small enough to
// stay in the processor's cache (larger ones measured slower).
constexpr std::size_t receiveBufferSize = 256 * 1024;
constexpr std::size_t sendBufferSize = 64 * 1024;
// After ABOR a server owes two replies (the transfer's end, then ABOR's own),
// but some send only a "1xx" or nothing: wait this long at most, then go on.
constexpr std::chrono::milliseconds abortWait{5000};

} // namespace

Status FileTransfer::open(const std::string& path, TransferDirection direction)
{
    std::uint64_t offset = 0;
    return start(path, direction, 0, offset);
}

Status FileTransfer::resume(const std::string& path, std::uint64_t knownSize, std::uint64_t& offset)
{
    return start(path, TransferDirection::Download, knownSize, offset);
}

Status FileTransfer::start(const std::string& path, TransferDirection direction, std::uint64_t knownSize,
                           std::uint64_t& offset)
{
    if (Status s = channel_.ready(); !s.ok())
        return s;
    DataCommand command;
    command.line = withArgument(direction == TransferDirection::Download ? "RETR" : "STOR", path);
    // REST goes just before RETR, unless the server refused it for good; the
    // answer to SIZE may still take it back.
    if (offset > 0 && !channel_.link().learnt.restRefused)
        command.lead = "REST " + std::to_string(offset);
    TransferCheck check;
    if (direction == TransferDirection::Download) {
        if (Status s = check.beforeDownload(channel_, path, command.lead, knownSize); !s.ok())
            return s;
    } else {
        check.beforeUpload(path);
    }
    std::unique_ptr<Stream> stream;
    if (Status s = openDataConnection(channel_, command, stream); !s.ok()) {
        check.forgetAnswers(channel_);
        return s;
    }
    // Without "350" the server sends the file from its start.
    const std::optional<Reply>& restart = command.leadReply;
    if (!restart || restart->code != 350) {
        if (restart && classify(restart->code) == ReplyClass::PermanentRefusal)
            channel_.link().learnt.restRefused = true;
        offset = 0;
    }
    check.resumeAt(offset);
    if (direction == TransferDirection::Download)
        check.startDigest(channel_.link().features);
    abandon();
    direction_ = direction;
    command_ = offset > 0 ? "REST " + std::to_string(offset) + ", " + command.line : command.line;
    stream_ = std::move(stream);
    buffer_ = std::make_unique<char[]>(direction == TransferDirection::Download ? receiveBufferSize : sendBufferSize);
    finalReply_ = std::move(command.finalReply);
    check_ = std::move(check);
    channel_.transferOpened();
    return Status::success();
}

void FileTransfer::abandon()
{
    channel_.transferAbandoned();
    command_.clear();
    stream_.reset();
    buffer_.reset();
    begin_ = end_ = 0;
    endOfData_ = false;
    followed_ = false;
    failure_.reset();
    finalReply_.reset();
}

Status FileTransfer::dataTimeout() const
{
    return Status::failure(ErrorKind::Timeout, "No data moved on the data connection in time (" + command_ + ")");
}

Status FileTransfer::closedEarly() const
{
    return Status::failure(ErrorKind::Network, "The transfer was closed before the end of the file (" + command_ + ")");
}

Status FileTransfer::endUnconfirmed() const
{
    return Status::failure(ErrorKind::Network, "The transfer broke off: the encrypted data connection ended without "
                                               "its closing notice, so the file may be cut short (" + command_ + ")");
}

Status FileTransfer::dataBroken(const Status& why) const
{
    return Status::failure(ErrorKind::Network, "The data connection broke (" + command_ + "): " + why.message());
}

// Reads the reply that arrived during a transfer. True when it ended the transfer.
bool FileTransfer::takeReplyDuringTransfer(Deadline deadline)
{
    Reply reply;
    const Status status = channel_.readReply(reply, deadline, true);
    if (!status.ok()) {
        failure_ = status;
        return true;
    }
    if (classify(reply.code) == ReplyClass::Preliminary)
        return false;
    finalReply_ = reply;
    if (classify(reply.code) == ReplyClass::Done)
        return false;  // the data may still be on its way to us
    failure_ = brokeOff(command_, reply);
    return true;
}

// Reads the end-of-transfer reply unless it is already in.
Status FileTransfer::awaitFinalReply()
{
    if (finalReply_)
        return Status::success();
    Reply reply;
    if (Status s = channel_.readReply(reply, channel_.replyDeadline()); !s.ok())
        return s;
    finalReply_ = reply;
    return Status::success();
}

// Waits until the data stream can go on, taking any reply the server sends
// meanwhile. False, with the failure recorded, when the transfer cannot go on.
// Replies do not move `deadline`: only data does, so "150" lines sent while
// the data connection stays silent cannot keep the transfer waiting.
bool FileTransfer::awaitData(IoResult::State want, Deadline deadline)
{
    ControlConnection* watch = finalReply_ ? nullptr : &channel_.connection();
    switch (waitForData(*stream_, want, watch, deadline)) {
    case DataWait::DataReady:
        return true;
    case DataWait::ControlReady:
        if (takeReplyDuringTransfer(deadline))
            return false;
        if (direction_ == TransferDirection::Upload && finalReply_) {
            // "226" while we still have bytes to send: the server stopped early.
            failure_ = unexpected(command_, *finalReply_);
            return false;
        }
        return true;
    case DataWait::TimedOut:
        failure_ = dataTimeout();
        return false;
    case DataWait::Failed:
        failure_ = dataBroken(Status::failure(ErrorKind::Network, describeError(errno)));
        return false;
    }
    return false;
}

// Download: refills the buffer; false at the end of the data or on failure.
bool FileTransfer::refill()
{
    begin_ = end_ = 0;
    const Deadline deadline = channel_.replyDeadline();
    const IoResult result = moveSome([&] { return stream_->readSome(buffer_.get(), receiveBufferSize); },
                                     [&](IoResult::State want) { return waitForStream(want, deadline); });
    switch (result.state) {
    case IoResult::State::Moved:
        end_ = result.count;
        check_.received(buffer_.get(), end_);
        return true;
    case IoResult::State::End: {
        const bool confirmed = stream_->endConfirmed();
        endOfData_ = true;
        stream_.reset();
        // The stream ended: only the server's final word tells a whole file from a cut one,
        // and a server that confirms too early is caught by the size and digest it gives.
        // An encrypted stream that ended without close_notify may have been cut
        // by anyone on the path while the server honestly says 226: only the
        // size the server gave over the protected control connection vouches for it.
        if (Status s = check_.dataEnded(channel_); !s.ok())
            failure_ = s;
        else if (Status s = followed_ ? askPassiveLater(channel_) : Status::success(); !s.ok())
            failure_ = s;
        else if (Status s = awaitFinalReply(); !s.ok())
            failure_ = s;
        else if (classify(finalReply_->code) != ReplyClass::Done)
            failure_ = brokeOff(command_, *finalReply_), check_.forgetAnswers(channel_);
        else if (!confirmed && !check_.matchesGivenSize())
            failure_ = endUnconfirmed(), check_.forgetAnswers(channel_);
        else if (Status checked = check_.afterDownload(channel_, command_); !checked.ok())
            failure_ = checked;
        return false;
    }
    default:
        if (!failure_)
            failure_ = dataBroken(result.error);
        return false;
    }
}

// awaitData for moveSome: the failure it recorded, or success to go on.
Status FileTransfer::waitForStream(IoResult::State want, Deadline deadline)
{
    return awaitData(want, deadline) ? Status::success() : *failure_;
}

// Upload: sends every byte or records why not.
bool FileTransfer::sendData(const char* data, std::size_t size)
{
    Deadline deadline = channel_.replyDeadline();
    while (size > 0) {
        const IoResult result = moveSome([&] { return stream_->writeSome(data, size); },
                                         [&](IoResult::State want) { return waitForStream(want, deadline); });
        switch (result.state) {
        case IoResult::State::Moved:
            data += result.count;
            size -= result.count;
            if (size > 0)
                deadline = channel_.replyDeadline();
            break;
        case IoResult::State::End:
            failure_ = dataBroken(Status::failure(ErrorKind::Network, "the server closed it"));
            return false;
        default:
            if (!failure_)
                failure_ = dataBroken(result.error);
            return false;
        }
    }
    return true;
}

Status FileTransfer::read(char* out, std::size_t size, std::size_t& count)
{
    count = 0;
    if (!isOpen() || direction_ != TransferDirection::Download)
        return Status::failure(ErrorKind::WrongState, "No download is open");
    // Fill the whole request unless the file ends: a short count means the end.
    while (count < size) {
        if (failure_)
            return *failure_;
        if (begin_ == end_) {
            if (endOfData_)
                break;
            (void)refill();  // the next round sees new data, the end, or the failure
            continue;
        }
        const std::size_t take = std::min(size - count, end_ - begin_);
        std::memcpy(out + count, buffer_.get() + begin_, take);
        begin_ += take;
        count += take;
    }
    return Status::success();
}

bool FileTransfer::readReady(std::size_t size) const
{
    if (!isOpen() || direction_ != TransferDirection::Download || failure_ || endOfData_ || !stream_)
        return true;
    if (end_ - begin_ >= size || stream_->buffered() > 0)
        return true;
    pollfd entry{stream_->fd(), POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
}

Status FileTransfer::write(const char* in, std::size_t size)
{
    if (!isOpen() || direction_ != TransferDirection::Upload)
        return Status::failure(ErrorKind::WrongState, "No upload is open");
    if (failure_)
        return *failure_;
    check_.sent(size);
    if (end_ == 0 && size >= sendBufferSize)
        return sendData(in, size) ? Status::success() : *failure_;
    while (size > 0) {
        const std::size_t take = std::min(size, sendBufferSize - end_);
        std::memcpy(buffer_.get() + end_, in, take);
        end_ += take;
        in += take;
        size -= take;
        if (end_ == sendBufferSize) {
            if (!sendData(buffer_.get(), end_))
                return *failure_;
            end_ = 0;
        }
    }
    return Status::success();
}

Status FileTransfer::finish()
{
    bool cutShort = false;
    if (direction_ == TransferDirection::Upload) {
        if (!failure_ && end_ > 0)
            (void)sendData(buffer_.get(), end_);
        if (stream_ && !failure_)
            (void)stream_->shutdown(channel_.replyDeadline());
    } else if (!endOfData_) {
        if (!failure_ && !finalReply_) {
            abort();  // takes what the server says about it
            return closedEarly();
        }
        cutShort = true;
    }
    // Closing the data connection is the end of an upload.
    stream_.reset();

    Status result = Status::success();
    if (channel_.state() == LinkState::Transferring) {
        if (Status s = awaitFinalReply(); !s.ok())
            result = s;
    }
    if (failure_) {
        Status failure = *failure_;
        // Prefer the server's own explanation ("451 Transfer aborted") when it gave one.
        if (failure.kind() != ErrorKind::Refused && finalReply_
            && classify(finalReply_->code) != ReplyClass::Done
            && classify(finalReply_->code) != ReplyClass::Preliminary) {
            failure = Status::failure(ErrorKind::Refused, failure.message() + "; the server said: " + finalReply_->text,
                                      finalReply_->code);
        }
        return failure;
    }
    if (!result.ok())
        return result;
    if (cutShort)
        return closedEarly();
    if (Status s = doneOrRefused(command_, *finalReply_); !s.ok())
        return s;
    if (direction_ == TransferDirection::Download)
        return Status::success();
    return check_.afterUpload(channel_, command_, [this]() {
        return followed_ ? askPassiveLater(channel_) : Status::success();
    });
}

// A download left before its end: ABOR, close the data connection, and take
// every reply up to the answer to a NOOP. How many replies ABOR draws
// differs: "426" then "226"; "225" or "226" alone; a "1xx" only; and when the
// transfer ended just as ABOR left, the transfer's "226" and then ABOR's own
// ("226-File successfully transferred" ... "226 Since you see this ABOR
// must've succeeded", as pure-ftpd says).
// Counting them cannot tell these apart, and a reply left unread would answer
// the next command and put the session out of step for good; NOOP's "200"
// (never an answer to ABOR) marks the end. NOOP waits for the first reply:
// a server still sending reads ABOR from within the transfer and throws away
// whatever came with it. A server that answers nothing costs one short wait;
// the session then goes on.
void FileTransfer::abort()
{
    const Deadline deadline = deadlineAfter(std::min(channel_.timeout(), abortWait));
    // The transfer may have ended while nobody was reading: then there is nothing to abort.
    if (channel_.connection().hasPendingInput()) {
        if (takeReplyDuringTransfer(deadline) || finalReply_ || channel_.state() != LinkState::Transferring)
            return;
    }
    const Status sent = channel_.sendDuringTransfer("ABOR", deadline);
    stream_.reset();
    Reply reply;
    if (!sent.ok() || !channel_.readReplyIfAny(reply, deadline, true).ok())
        return;  // silence: the session goes on; a late reply is dropped as a stray
    if (!channel_.sendDuringTransfer("NOOP", deadline).ok())
        return;
    while (channel_.readReplyIfAny(reply, deadline).ok()) {
        if (reply.code == 200)
            return;
    }
}

Status FileTransfer::close()
{
    if (!isOpen())
        return Status::failure(ErrorKind::WrongState, "No file is open");
    const Status status = finish();
    abandon();
    channel_.transferClosed();
    return status;
}

} // namespace ftp
