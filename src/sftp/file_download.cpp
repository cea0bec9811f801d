#include "sftp/file_download.h"

#include <algorithm>
#include <cstring>

namespace sftp {
namespace {

// OpenSSH's sshd answers reads of up to 255 KiB; a server that answers less
// before the end has its length taken for the requests after.
constexpr std::uint32_t firstRequestLength = 64 * 1024;
constexpr std::uint32_t smallestRequestLength = 4 * 1024;
constexpr std::size_t requestsInFlight = 64;
// New requests go out in batches, several in one SSH packet.
constexpr std::size_t topUpBelow = requestsInFlight - 8;

} // namespace

Download::Download(Channel& channel, std::string handle, std::optional<std::uint64_t> size, std::uint64_t from)
    : channel_(channel), handle_(std::move(handle)), size_(size), requestLength_(firstRequestLength),
      nextOffset_(from), delivered_(from), furthestData_(from)
{
}

Download::~Download()
{
    // Their answers may still come; nobody here takes them any more.
    for (const auto& [offset, piece] : pieces_) {
        if (!piece.answered)
            channel_.forget(piece.id);
    }
}

Status Download::start()
{
    topUp();
    checkEnd();
    if (Status s = channel_.flush(); !s.ok())
        return fail(s);
    return Status::success();
}

Status Download::fail(Status status)
{
    if (!failure_)
        failure_ = status;
    return *failure_;
}

void Download::ask(std::uint64_t offset, std::uint32_t length)
{
    const std::uint32_t id = channel_.ask(
        RequestWriter(MessageType::Read, channel_.nextId()).addString(handle_).add64(offset).add(length),
        [this, offset](Response& response) { answer(offset, response); });
    pieces_[offset] = Piece{id, length, false, false, {}};
}

void Download::topUp()
{
    if (endSeen_ || pieces_.size() > topUpBelow)
        return;
    while (pieces_.size() < requestsInFlight) {
        std::uint32_t length = requestLength_;
        // The size the server told decides the reads; without it, they go
        // on until one meets the end.
        if (size_) {
            if (nextOffset_ >= *size_)
                break;
            length = std::uint32_t(std::min<std::uint64_t>(length, *size_ - nextOffset_));
        }
        ask(nextOffset_, length);
        nextOffset_ += length;
    }
}

void Download::answer(std::uint64_t offset, Response& response)
{
    const auto found = pieces_.find(offset);
    if (found == pieces_.end())
        return;
    Piece& piece = found->second;
    piece.answered = true;
    if (response.type == MessageType::Status) {
        if (response.statusCode != StatusEof) {
            (void)fail(Status::failure(ErrorKind::Refused, "Reading the file failed: " + response.text,
                                       int(response.statusCode)));
        }
        piece.endOfFile = true;
        endSeen_ = true;
        return;
    }
    if (response.type != MessageType::Data || response.text.size() > piece.length) {
        (void)fail(Status::failure(ErrorKind::Protocol, "The server answered a read with something else"));
        return;
    }
    if (response.text.empty()) {
        piece.endOfFile = true;
        endSeen_ = true;
        return;
    }
    // A server may send less than asked before the end: the rest is asked again.
    if (response.text.size() < piece.length) {
        const auto got = std::uint32_t(response.text.size());
        const std::uint32_t rest = piece.length - got;
        piece.length = got;
        requestLength_ = std::max(smallestRequestLength, std::min(requestLength_, got));
        ask(offset + got, rest);
    }
    furthestData_ = std::max(furthestData_, offset + response.text.size());
    piece.data = std::move(response.text);
}

std::size_t Download::readyBytes() const
{
    std::size_t bytes = 0;
    for (const auto& [offset, piece] : pieces_) {
        if (!piece.answered || piece.endOfFile)
            break;
        bytes += piece.data.size();
    }
    return bytes - takenFromFront_;
}

void Download::checkEnd()
{
    if (ended_)
        return;
    if (size_ && delivered_ == *size_ && pieces_.empty()) {
        ended_ = true;
        return;
    }
    if (pieces_.empty() || !pieces_.begin()->second.endOfFile)
        return;
    ended_ = true;
    if (size_ && delivered_ < *size_)
        (void)fail(Status::failure(ErrorKind::Network, "The file ended after " + std::to_string(delivered_)
                                                           + " of its " + std::to_string(*size_) + " bytes"));
}

Status Download::read(void* buffer, std::size_t size, std::size_t& count)
{
    count = 0;
    auto* out = static_cast<char*>(buffer);
    while (count < size) {
        if (failure_)
            return *failure_;
        if (!pieces_.empty() && pieces_.begin()->second.answered && !pieces_.begin()->second.endOfFile) {
            const std::string& data = pieces_.begin()->second.data;
            const std::size_t piece = std::min(size - count, data.size() - takenFromFront_);
            std::memcpy(out + count, data.data() + takenFromFront_, piece);
            takenFromFront_ += piece;
            count += piece;
            delivered_ += piece;
            if (takenFromFront_ == data.size()) {
                pieces_.erase(pieces_.begin());
                takenFromFront_ = 0;
            }
            continue;
        }
        checkEnd();
        if (failure_)
            return *failure_;
        if (ended_)
            break;
        topUp();
        if (Status s = channel_.takeNext(); !s.ok())
            return fail(s);
    }
    return Status::success();
}

bool Download::ready(std::size_t size)
{
    while (!failure_ && !ended_ && readyBytes() < size && channel_.answerWaiting()) {
        if (Status s = channel_.takeNext(); !s.ok()) {
            (void)fail(s);
            break;
        }
        checkEnd();
    }
    return failure_ || ended_ || readyBytes() >= size || channel_.answerArriving();
}

Status Download::finish(const std::function<void()>& alongside)
{
    checkEnd();
    const bool whole = ended_ && !failure_ && readyBytes() == 0;
    for (const auto& [offset, piece] : pieces_) {
        if (!piece.answered)
            channel_.forget(piece.id);
    }
    pieces_.clear();
    // A close that cannot go out leaves the file unconfirmed.
    if (!channel_.usable())
        return failure_ ? *failure_ : channel_.brokenStatus();
    Response closed;
    const std::uint32_t id = channel_.askClose(handle_, [&closed](Response& answer) { closed = std::move(answer); });
    if (alongside)
        alongside();
    const Status sent = channel_.waitFor(id);
    channel_.forget(id);
    if (failure_)
        return *failure_;
    if (!sent.ok())
        return sent;
    if (!whole)
        return Status::failure(ErrorKind::WrongState, "The download was closed before the end of the file");
    // The server's last word on the file counts as much as its bytes.
    if (closed.type != MessageType::Status || closed.statusCode != StatusOk)
        return Status::failure(ErrorKind::Refused, "Closing the file failed: " + closed.text,
                               int(closed.statusCode));
    return Status::success();
}

} // namespace sftp
