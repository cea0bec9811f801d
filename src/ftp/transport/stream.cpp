#include "ftp/transport/stream.h"

#include <cerrno>

namespace ftp {

Status writeAll(Stream& stream, const char* data, std::size_t size, Deadline deadline)
{
    const auto wait = [&](IoResult::State want) {
        switch (stream.wait(want, deadline)) {
        case WaitResult::Ready:
            break;
        case WaitResult::TimedOut:
            return Status::failure(ErrorKind::Timeout, "The server stopped accepting data");
        case WaitResult::Failed:
            return Status::failure(ErrorKind::Network, "Sending to the server failed: " + describeError(errno));
        }
        return Status::success();
    };
    const auto write = [&] {
        IoResult result = stream.writeSome(data, size);
        if (result.state == IoResult::State::Failed)
            result.error = Status::failure(result.error.kind(), "Sending to the server failed: " + result.error.message());
        return result;
    };
    while (size > 0) {
        const IoResult result = moveSome(write, wait);
        switch (result.state) {
        case IoResult::State::Moved:
            data += result.count;
            size -= result.count;
            break;
        case IoResult::State::End:
            return Status::failure(ErrorKind::Network, "Sending to the server failed: the connection was closed");
        default:
            return result.error;
        }
    }
    return Status::success();
}

} // namespace ftp
