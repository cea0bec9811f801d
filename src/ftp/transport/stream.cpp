#include "ftp/transport/stream.h"

#include <cerrno>

namespace ftp {

Status writeAll(Stream& stream, const char* data, std::size_t size, Deadline deadline)
{
    while (size > 0) {
        const IoResult result = stream.writeSome(data, size);
        switch (result.state) {
        case IoResult::State::Moved:
            data += result.count;
            size -= result.count;
            continue;
        case IoResult::State::WantRead:
        case IoResult::State::WantWrite:
            switch (stream.wait(result.state, deadline)) {
            case WaitResult::Ready:
                continue;
            case WaitResult::TimedOut:
                return Status::failure(ErrorKind::Timeout, "The server stopped accepting data");
            case WaitResult::Failed:
                return Status::failure(ErrorKind::Network, "Sending to the server failed: " + describeError(errno));
            }
            continue;
        case IoResult::State::End:
            return Status::failure(ErrorKind::Network, "Sending to the server failed: the connection was closed");
        case IoResult::State::Failed:
            return Status::failure(result.error.kind(), "Sending to the server failed: " + result.error.message());
        }
    }
    return Status::success();
}

} // namespace ftp
