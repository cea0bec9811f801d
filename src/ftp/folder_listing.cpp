#include "ftp/folder_listing.h"

#include "ftp/listing_parser.h"

#include <cerrno>
#include <ctime>
#include <memory>
#include <optional>

namespace ftp {

namespace {

// A listing is held whole in memory; a server that never stops sending one is cut off.
constexpr std::size_t maxListingSize = 64 * 1024 * 1024;

DateTime localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour, local.tm_min, local.tm_sec};
}

Status receiveListing(CommandChannel& channel, Stream& data, std::string& body)
{
    char chunk[64 * 1024];
    for (;;) {
        const IoResult result = data.readSome(chunk, sizeof chunk);
        switch (result.state) {
        case IoResult::State::Moved:
            if (body.size() + result.count > maxListingSize)
                return Status::failure(ErrorKind::Protocol, "The folder listing is too large");
            body.append(chunk, result.count);
            continue;
        case IoResult::State::End:
            return Status::success();
        case IoResult::State::Failed:
            return Status::failure(ErrorKind::Network, "The data connection broke: " + result.error.message());
        case IoResult::State::WantRead:
        case IoResult::State::WantWrite:
            break;
        }
        switch (DataChannel::waitForData(data, result.state, nullptr, channel.replyDeadline())) {
        case DataChannel::Wait::DataReady:
        case DataChannel::Wait::ControlReady:
            break;
        case DataChannel::Wait::TimedOut:
            return Status::failure(ErrorKind::Timeout, "The folder listing stopped arriving");
        case DataChannel::Wait::Failed:
            return Status::failure(ErrorKind::Network, "The data connection broke: " + describeError(errno));
        }
    }
}

} // namespace

Status listFolder(CommandChannel& channel, DataChannel& dataChannel, const std::string& path,
                  std::vector<ListEntry>& entries)
{
    entries.clear();
    if (!isSafeArgument(path))
        return checkPath(path);
    if (Status s = channel.ready(); !s.ok())
        return s;
    const bool mlsd = channel.features().mlst;
    const std::string line = withArgument(mlsd ? "MLSD" : "LIST", path);
    std::unique_ptr<Stream> data;
    std::optional<Reply> finalReply;
    if (Status s = dataChannel.open(channel, line, data, finalReply); !s.ok())
        return s;

    std::string body;
    const Status received = receiveListing(channel, *data, body);
    data.reset();
    if (!finalReply && channel.state() == LinkState::Ready) {
        Reply reply;
        if (Status s = channel.readReply(reply); !s.ok())
            return received.ok() ? s : received;
        finalReply = reply;
    }
    if (!received.ok())
        return received;
    if (!finalReply)
        return channel.ready();
    if (Status s = doneOrRefused(line, *finalReply); !s.ok())
        return s;
    entries = mlsd ? parseMlsdListing(body) : parseListListing(body, localNow());
    return Status::success();
}

} // namespace ftp
