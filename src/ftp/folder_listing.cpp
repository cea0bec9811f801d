#include "ftp/folder_listing.h"

#include "ftp/listing_parser.h"
#include "ftp/listing_reader.h"

#include <cerrno>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>

namespace ftp {

namespace {

// A server that never stops sending a listing is cut off.
constexpr std::size_t maxListingSize = 64 * 1024 * 1024;
// Entries cost far more memory than their lines: 64 MiB of tiny MLSD lines
// would become more than a gigabyte of entries. One entry per line at most,
// so counting lines as they come bounds the entries.
constexpr std::size_t maxListingEntries = 1000000;
// Links whose target the listing does not tell are tried with one CWD each;
// a folder of thousands of links must not cost thousands of round trips.
constexpr int maxLinksResolved = 64;

DateTime localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour, local.tm_min, local.tm_sec};
}

// Receives the listing into `reader`, which parses it as it comes.
Status receiveListing(CommandChannel& channel, Stream& data, ListingReader& reader)
{
    char chunk[64 * 1024];
    std::size_t received = 0;
    for (;;) {
        const IoResult result = data.readSome(chunk, sizeof chunk);
        switch (result.state) {
        case IoResult::State::Moved:
            received += result.count;
            if (received > maxListingSize)
                return Status::failure(ErrorKind::Protocol, "The folder listing is too large");
            if (!reader.add(std::string_view(chunk, result.count)))
                return Status::failure(ErrorKind::Protocol, "The folder listing has too many entries (more than "
                                                                + std::to_string(maxListingEntries) + ")");
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

std::string childPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + '/' + name;
}

// Finds out with the server which links lead to folders: a link that CWD can
// enter is one. Shared hosting puts public_html, www and logs behind links
// listed as "lrwxrwxrwx ... public_html -> /home/u/web", which say nothing
// about the target. The server's working directory is put back afterwards.
Status resolveFolderLinks(CommandChannel& channel, const std::string& folder, std::vector<ListEntry>& entries)
{
    int tried = 0;
    std::optional<std::string> home;
    Reply reply;
    for (ListEntry& entry : entries) {
        if (!entry.isLink || entry.isFolder)
            continue;
        if (tried++ == maxLinksResolved)
            break;
        const std::string path = childPath(folder, entry.name);
        if (!checkPath(path).ok())
            continue;
        if (!home) {
            if (Status s = channel.command("PWD", reply); !s.ok())
                return s;
            home = classify(reply.code) == ReplyClass::Done ? parsePwdPath(reply.text).value_or("") : "";
        }
        if (Status s = channel.command(withArgument("CWD", path), reply); !s.ok())
            return s;
        entry.isFolder = classify(reply.code) == ReplyClass::Done;
    }
    if (home && !home->empty() && checkPath(*home).ok()) {
        if (Status s = channel.command(withArgument("CWD", *home), reply); !s.ok())
            return s;
    }
    return Status::success();
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

    ListingReader reader(mlsd ? ListingFormat::Mlsd : ListingFormat::List, mlsd ? DateTime{} : localNow(),
                         maxListingEntries);
    const Status received = receiveListing(channel, *data, reader);
    data.reset();
    if (!finalReply && channel.state() == LinkState::Ready) {
        Reply reply;
        if (Status s = channel.readReply(reply, channel.replyDeadline()); !s.ok())
            return received.ok() ? s : received;
        finalReply = reply;
    }
    if (!received.ok())
        return received;
    if (!finalReply)
        return channel.ready();
    if (Status s = doneOrRefused(line, *finalReply); !s.ok())
        return s;
    entries = reader.finish();
    if (Status s = resolveFolderLinks(channel, path, entries); !s.ok()) {
        entries.clear();
        return s;
    }
    return Status::success();
}

} // namespace ftp
