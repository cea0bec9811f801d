#include "ftp/operations/folder_listing.h"

#include "ftp/operations/data_channel.h"
#include "ftp/operations/working_folder.h"

#include "ftp/listing/listing_parser.h"
#include "ftp/listing/listing_reader.h"

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
    const auto wait = [&](IoResult::State want) {
        switch (waitForData(data, want, nullptr, channel.replyDeadline())) {
        case DataWait::DataReady:
        case DataWait::ControlReady:
            break;
        case DataWait::TimedOut:
            return Status::failure(ErrorKind::Timeout, "The folder listing stopped arriving");
        case DataWait::Failed:
            return Status::failure(ErrorKind::Network, "The data connection broke: " + describeError(errno));
        }
        return Status::success();
    };
    const auto read = [&] {
        IoResult result = data.readSome(chunk, sizeof chunk);
        if (result.state == IoResult::State::Failed)
            result.error = Status::failure(ErrorKind::Network, "The data connection broke: " + result.error.message());
        return result;
    };
    for (;;) {
        const IoResult result = moveSome(read, wait);
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
            // Half a folder must not pass for the whole: an encrypted listing
            // ended without close_notify may have been cut on the way.
            if (!data.endConfirmed())
                return Status::failure(ErrorKind::Network, "The folder listing broke off: the encrypted data "
                                                           "connection ended without its closing notice");
            return Status::success();
        default:
            return result.error;
        }
    }
}

std::string childPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + '/' + name;
}

// Many servers hand LIST's argument to "/bin/ls" as words of a shell line: a
// name with blanks becomes several names, a link to a folder is listed as the
// link itself, "-x" is an option. Their working directory they list right, so
// LIST is sent without argument from inside the folder. `inside` stays false
// where CWD is refused (`refusal` then holds its reply): LIST is then given
// the path after all.
Status enterForList(WorkingFolder& folder, const std::string& path, bool& inside, std::optional<Reply>& refusal)
{
    std::string here;
    if (Status s = folder.current(here); !s.ok())
        return s;
    inside = !here.empty() && sameFolder(here, path);
    if (inside)
        return Status::success();
    Reply reply;
    if (Status s = folder.visit(path, inside, &reply); !s.ok())
        return s;
    if (!inside)
        refusal = reply;
    return Status::success();
}

// Finds out with the server which links lead to folders: a link that CWD can
// enter is one. Shared hosting puts public_html, www and logs behind links
// listed as "lrwxrwxrwx ... public_html -> /home/u/web", which say nothing
// about the target.
Status resolveFolderLinks(WorkingFolder& directory, const std::string& folder, std::vector<ListEntry>& entries)
{
    int tried = 0;
    for (ListEntry& entry : entries) {
        if (!entry.isLink || entry.isFolder)
            continue;
        if (tried++ == maxLinksResolved)
            break;
        const std::string path = childPath(folder, entry.name);
        if (!isSafeArgument(path))
            continue;  // a name with a line break cannot be probed: it stays a file
        if (Status s = directory.visit(path, entry.isFolder); !s.ok())
            return s;
    }
    return Status::success();
}

// Sends `line` and reads the listing it brings into `entries`.
Status runListing(CommandChannel& channel, const std::string& line, bool mlsd, std::vector<ListEntry>& entries)
{
    DataCommand command;
    command.line = line;
    std::unique_ptr<Stream> data;
    if (Status s = openDataConnection(channel, command, data); !s.ok())
        return s;
    std::optional<Reply>& finalReply = command.finalReply;

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
    return Status::success();
}

} // namespace

Status listFolder(CommandChannel& channel, const std::string& path, std::vector<ListEntry>& entries)
{
    entries.clear();
    if (Status s = channel.ready(); !s.ok())
        return s;
    const bool mlsd = channel.link().features.mlst;
    // The listing may leave the server in the folder it listed: the session
    // walks back only when something needs the user's folder again.
    WorkingFolder directory(channel);
    bool inside = false;
    std::optional<Reply> cwdRefusal;
    if (!mlsd && !path.empty()) {
        if (Status s = enterForList(directory, path, inside, cwdRefusal); !s.ok())
            return s;
    }
    Status status = runListing(channel, withArgument(mlsd ? "MLSD" : "LIST", inside ? "" : path), mlsd, entries);
    // vsftpd answers LIST of a folder that does not exist with an empty
    // listing: after CWD said the folder cannot be entered, nothing listed
    // means CWD was right, not an empty folder.
    if (status.ok() && entries.empty() && cwdRefusal && classify(cwdRefusal->code) == ReplyClass::PermanentRefusal)
        status = refusal(withArgument("CWD", path), *cwdRefusal);
    if (status.ok())
        status = resolveFolderLinks(directory, path, entries);
    if (!status.ok())
        entries.clear();
    return status;
}

} // namespace ftp
