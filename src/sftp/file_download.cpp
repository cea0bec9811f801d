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

Status Download::start()
{
    topUp();
    return sendQueued();
}

Status Download::fail(Status status)
{
    if (!failure_)
        failure_ = status;
    return *failure_;
}

void Download::topUp()
{
    if (endSeen_ || requests_.size() > topUpBelow)
        return;
    while (requests_.size() < requestsInFlight) {
        // Up to the size the server told, and one request past it that
        // meets the end; a file that grows while read is read on.
        if (size_ && nextOffset_ > std::max(*size_, furthestData_))
            break;
        Request request;
        request.id = channel_.nextId();
        request.length = requestLength_;
        RequestWriter(MessageType::Read, request.id).addString(handle_).add64(nextOffset_).add(requestLength_)
            .finishInto(queued_);
        offsetOfId_[request.id] = nextOffset_;
        requests_.emplace(nextOffset_, std::move(request));
        nextOffset_ += requestLength_;
    }
}

Status Download::sendQueued()
{
    if (queued_.empty())
        return Status::success();
    if (Status s = channel_.send(queued_); !s.ok())
        return fail(s);
    return Status::success();
}

Status Download::handle(Response& response)
{
    const auto known = offsetOfId_.find(response.id);
    if (known == offsetOfId_.end())
        return Status::success();  // the answer to something given up on
    const std::uint64_t offset = known->second;
    offsetOfId_.erase(known);
    Request& request = requests_[offset];
    request.answered = true;
    if (response.type == MessageType::Status) {
        if (response.statusCode != StatusEof)
            return fail(Status::failure(ErrorKind::Refused, "Reading the file failed: " + response.text,
                                        int(response.statusCode)));
        request.endOfFile = true;
        endSeen_ = true;
        return Status::success();
    }
    if (response.type != MessageType::Data || response.text.size() > request.length)
        return fail(Status::failure(ErrorKind::Protocol, "The server answered a read with something else"));
    if (response.text.empty()) {
        request.endOfFile = true;
        endSeen_ = true;
        return Status::success();
    }
    // A server may send less than asked before the end: the rest is asked again.
    if (response.text.size() < request.length) {
        const std::uint64_t restOffset = offset + response.text.size();
        Request rest;
        rest.id = channel_.nextId();
        rest.length = request.length - std::uint32_t(response.text.size());
        RequestWriter(MessageType::Read, rest.id).addString(handle_).add64(restOffset).add(rest.length)
            .finishInto(queued_);
        offsetOfId_[rest.id] = restOffset;
        request.length = std::uint32_t(response.text.size());
        requests_.emplace(restOffset, std::move(rest));
        requestLength_ = std::max(smallestRequestLength, std::min(requestLength_, request.length));
    }
    furthestData_ = std::max(furthestData_, offset + response.text.size());
    request.data = std::move(response.text);
    return Status::success();
}

// Moves the answered requests at the front, in file order, into `arrived_`.
Status Download::takeAnswered()
{
    while (!ended_ && !requests_.empty() && requests_.begin()->second.answered) {
        Request& front = requests_.begin()->second;
        if (front.endOfFile) {
            ended_ = true;
            if (size_ && delivered_ < *size_)
                return fail(Status::failure(ErrorKind::Network,
                                            "The file ended after " + std::to_string(delivered_) + " of its "
                                                + std::to_string(*size_) + " bytes"));
            break;
        }
        if (arrivedStart_ == arrived_.size()) {
            arrived_.clear();
            arrivedStart_ = 0;
        }
        arrived_ += front.data;
        delivered_ += front.data.size();
        requests_.erase(requests_.begin());
    }
    return Status::success();
}

Status Download::read(void* buffer, std::size_t size, std::size_t& count)
{
    count = 0;
    auto* out = static_cast<char*>(buffer);
    while (count < size) {
        if (failure_)
            return *failure_;
        if (arrivedStart_ < arrived_.size()) {
            const std::size_t piece = std::min(size - count, arrived_.size() - arrivedStart_);
            std::memcpy(out + count, arrived_.data() + arrivedStart_, piece);
            arrivedStart_ += piece;
            count += piece;
            continue;
        }
        if (ended_)
            break;
        topUp();
        if (Status s = sendQueued(); !s.ok())
            return s;
        Response response;
        if (Status s = channel_.receive(response); !s.ok())
            return fail(s);
        if (Status s = handle(response); !s.ok())
            return s;
        if (Status s = takeAnswered(); !s.ok())
            return s;
    }
    return Status::success();
}

bool Download::ready(std::size_t size)
{
    while (!failure_ && arrived_.size() - arrivedStart_ < size && !ended_ && channel_.answerWaiting()) {
        Response response;
        if (!channel_.receive(response).ok() || !handle(response).ok() || !takeAnswered().ok())
            break;
    }
    return failure_ || ended_ || arrived_.size() - arrivedStart_ >= size || channel_.answerArriving();
}

Status Download::finish()
{
    const bool whole = ended_ && !failure_ && arrivedStart_ == arrived_.size();
    if (channel_.usable()) {
        queued_.clear();
        const std::uint32_t id = channel_.nextId();
        Response response;
        // The answers to reads still in flight come first; receiveFor passes them by.
        const Status closed = channel_.call(RequestWriter(MessageType::Close, id).addString(handle_), id, response);
        if (!closed.ok() && !failure_)
            return closed;
    }
    if (failure_)
        return *failure_;
    if (!whole)
        return Status::failure(ErrorKind::WrongState, "The download was closed before the end of the file");
    return Status::success();
}

} // namespace sftp
