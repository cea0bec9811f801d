#include "sftp/file_upload.h"

#include <algorithm>

namespace sftp {
namespace {

constexpr std::size_t requestsInFlight = 64;
// OpenSSH's sshd takes SSH packets of up to 32 KiB on a session channel. A
// request of two whole packets halves the server's work per byte against one
// of 32 KiB (measured: a 256 MiB upload 10 % faster), and no third packet
// carries only its last bytes.
constexpr std::size_t packetSize = 2 * 32 * 1024;
// Length, type, id, handle length, offset and data length.
constexpr std::size_t requestOverhead = 4 + 1 + 4 + 4 + 8 + 4;

} // namespace

Upload::Upload(Channel& channel, std::string handle, std::uint64_t heldBefore)
    : channel_(channel), handle_(std::move(handle)),
      requestData_(std::max<std::size_t>(4096, packetSize - requestOverhead - handle_.size())),
      heldBefore_(heldBefore)
{
    gathered_.reserve(requestData_);
}

AnswerHandler Upload::counted(std::function<void(Answers&, Response&)> check)
{
    ++answers_->unanswered;
    return [answers = answers_, check = std::move(check)](Response& response) {
        --answers->unanswered;
        check(*answers, response);
    };
}

void Upload::askWrite()
{
    if (gathered_.empty())
        return;
    // Built in place and moved: a chained temporary would be copied whole into ask().
    RequestWriter request(MessageType::Write, channel_.nextId());
    request.addString(handle_).add64(offset_).addString(gathered_);
    channel_.ask(
        std::move(request),
        counted([](Answers& answers, Response& response) {
            if (response.type != MessageType::Status)
                answers.fail(Status::failure(ErrorKind::Protocol, "The server answered a write with something else"));
            else if (response.statusCode != StatusOk)
                answers.fail(Status::failure(ErrorKind::Refused, "Writing the file failed: " + response.text,
                                             int(response.statusCode)));
        }));
    offset_ += gathered_.size();
    gathered_.clear();
}

Status Upload::write(const void* buffer, std::size_t size)
{
    Answers& answers = *answers_;
    const auto* bytes = static_cast<const char*>(buffer);
    while (size > 0 && !answers.failure) {
        const std::size_t piece = std::min(size, requestData_ - gathered_.size());
        gathered_.append(bytes, piece);
        bytes += piece;
        size -= piece;
        if (gathered_.size() < requestData_)
            continue;
        askWrite();
        if (Status s = channel_.flush(); !s.ok())
            answers.fail(s);
        // Answers already here are taken without waiting; a full window waits for one.
        while (!answers.failure && answers.unanswered > 0
               && (answers.unanswered >= requestsInFlight || channel_.answerWaiting())) {
            if (Status s = channel_.takeNext(); !s.ok())
                answers.fail(s);
        }
    }
    return answers.failure ? *answers.failure : Status::success();
}

Status Upload::finish(const std::function<void()>& alongside)
{
    Answers& answers = *answers_;
    if (!answers.failure) {
        askWrite();
        const std::uint64_t sent = offset_;
        // The old file's bytes past the new end go; the size check below
        // then has to see the new size, so a server that ignores the cut
        // fails the file rather than pass its old tail off as the new file.
        const bool cut = heldBefore_ > sent;
        if (cut) {
            channel_.ask(
                RequestWriter(MessageType::Fsetstat, channel_.nextId()).addString(handle_).addSizeAttribute(sent),
                counted([](Answers& answers, Response& response) {
                    if (response.type != MessageType::Status || response.statusCode != StatusOk)
                        answers.fail(Status::failure(ErrorKind::Refused,
                                                     "Cutting the old file to the new length failed: " + response.text,
                                                     int(response.statusCode)));
                }));
        }
        // The size the server holds, from the open file, before it is closed.
        channel_.ask(RequestWriter(MessageType::Fstat, channel_.nextId()).addString(handle_),
                     counted([sent, cut](Answers& answers, Response& response) {
                const bool sized = response.type == MessageType::Attrs && response.attributes.size;
                if (sized && *response.attributes.size != sent) {
                    answers.fail(Status::failure(ErrorKind::Protocol,
                                                 "The server holds " + std::to_string(*response.attributes.size)
                                                     + " bytes of the file after " + std::to_string(sent)
                                                     + " were sent"));
                } else if (!sized && cut) {
                    answers.fail(Status::failure(ErrorKind::Protocol,
                                                 "The server did not tell whether the old file was cut to "
                                                     + std::to_string(sent) + " bytes"));
                }
            }));
    }
    if (channel_.usable()) {
        // The server's last word: a file system that defers its errors reports them here.
        channel_.askClose(handle_, counted([](Answers& answers, Response& response) {
            if (response.type != MessageType::Status || response.statusCode != StatusOk)
                answers.fail(Status::failure(ErrorKind::Refused, "Closing the file failed: " + response.text,
                                             int(response.statusCode)));
        }));
        if (alongside && !answers.failure)
            alongside();
    }
    while (answers.unanswered > 0) {
        if (Status s = channel_.takeNext(); !s.ok()) {
            answers.fail(s);
            break;
        }
    }
    return answers.failure ? *answers.failure : Status::success();
}

} // namespace sftp
