#pragma once
// One remote file written with many requests in flight: the caller's small
// writes are gathered into requests that fill two SSH packets, and up to 64
// go unanswered at a time, so no write waits for a round trip. The last
// writes, the size check and the close go out together.

#include "sftp/sftp_channel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sftp {

class Upload {
public:
    // `handle` is open for writing, the file holding `heldBefore` bytes
    // (opened without emptying it): bytes past the last one sent are cut
    // off at the end, and the file must then show its size.
    Upload(Channel& channel, std::string handle, std::uint64_t heldBefore = 0);
    Upload(const Upload&) = delete;
    Upload& operator=(const Upload&) = delete;

    Status write(const void* buffer, std::size_t size);
    // Sends the rest, the cut, the size check and the close in one write,
    // with whatever `alongside` asks, then takes and checks every answer of
    // this file. Only then is the upload done.
    Status finish(const std::function<void()>& alongside = {});

private:
    // What the answers told so far; shared with their handlers, which may
    // run after the upload is given up.
    struct Answers {
        std::size_t unanswered = 0;
        std::optional<Status> failure;
        void fail(Status status)
        {
            if (!failure)
                failure = std::move(status);
        }
    };

    // The handler of a request whose answer `check` judges, counted until it comes.
    AnswerHandler counted(std::function<void(Answers&, Response&)> check);
    void askWrite();

    Channel& channel_;
    std::string handle_;
    std::size_t requestData_;
    std::string gathered_;
    std::uint64_t offset_ = 0;
    std::uint64_t heldBefore_ = 0;
    std::shared_ptr<Answers> answers_ = std::make_shared<Answers>();
};

} // namespace sftp
