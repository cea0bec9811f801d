#include "sftp/folder_reading.h"

#include "session/entry_names.h"

#include <algorithm>
#include <ctime>

namespace sftp {

std::optional<session::DateTime> localTime(std::optional<std::uint32_t> seconds)
{
    if (!seconds)
        return std::nullopt;
    const std::time_t time = std::time_t(*seconds);
    std::tm local{};
    if (!::localtime_r(&time, &local))
        return std::nullopt;
    return session::DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                             local.tm_hour, local.tm_min, local.tm_sec};
}

namespace {

void describe(const Attributes& attributes, session::ListEntry& entry)
{
    entry.isFolder = attributes.isFolder();
    entry.size = entry.isFolder ? std::nullopt : attributes.size;
    entry.modified = localTime(attributes.modified);
}

std::string childPath(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

// Asks what every link leads to, a batch of questions sent before the first
// answer is read. The batch is bounded: a server stops reading questions
// while its answers wait to be read.
Status followLinks(Channel& channel, const std::string& folder, std::vector<session::ListEntry>& entries)
{
    constexpr std::size_t batch = 256;
    std::vector<std::size_t> links;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (entries[index].isLink)
            links.push_back(index);
    }
    std::vector<std::uint32_t> asked;
    Status result = Status::success();
    for (std::size_t first = 0; first < links.size() && result.ok(); first += batch) {
        asked.clear();
        for (std::size_t at = first; at < std::min(links.size(), first + batch); ++at) {
            session::ListEntry& entry = entries[links[at]];
            asked.push_back(channel.ask(
                RequestWriter(MessageType::Stat, channel.nextId()).addString(childPath(folder, entry.name)),
                [&entry](Response& response) {
                    // A link whose target is gone stays a link to nothing in particular.
                    if (response.type == MessageType::Attrs)
                        describe(response.attributes, entry);
                }));
        }
        for (const std::uint32_t id : asked) {
            if (result = channel.waitFor(id); !result.ok())
                break;
        }
    }
    for (const std::uint32_t id : asked)
        channel.forget(id);
    return result;
}

} // namespace

Status statusOf(const Response& response, const std::string& what)
{
    if (response.type != MessageType::Status)
        return Status::failure(ErrorKind::Protocol, what + ": the server's answer makes no sense");
    if (response.statusCode == StatusOk)
        return Status::success();
    std::string text = response.text.empty() ? "error " + std::to_string(response.statusCode) : response.text;
    return Status::failure(ErrorKind::Refused, what + " failed: " + text, int(response.statusCode));
}

// Why a listing that has gone on this far is cut off, or nothing.
std::optional<std::string> pastLimits(const ListingLimits& limits, std::size_t entries, std::size_t bytes,
                                      std::chrono::steady_clock::duration time)
{
    if (entries > limits.entries)
        return "has too many entries (more than " + std::to_string(limits.entries) + ")";
    if (bytes > limits.bytes)
        return "is too large (more than " + std::to_string(limits.bytes / (1024 * 1024)) + " MiB)";
    if (time > limits.time)
        return "takes too long (more than "
            + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(limits.time).count()) + " s)";
    return std::nullopt;
}

Status readFolder(Channel& channel, const std::string& path, std::vector<session::ListEntry>& entries,
                  const ListingLimits& limits)
{
    const auto started = std::chrono::steady_clock::now();
    entries.clear();
    Response opened;
    if (Status s = channel.call(RequestWriter(MessageType::Opendir, channel.nextId()).addString(path), opened);
        !s.ok())
        return s;
    if (opened.type != MessageType::Handle)
        return statusOf(opened, "Listing \"" + path + "\"");
    const std::string& handle = opened.text;

    Status result = Status::success();
    bool ended = false;
    std::size_t bytes = 0;
    std::size_t seen = 0;
    const auto take = [&](Response& response) {
        if (ended)
            return;  // a read past the end, sent before the end was known
        if (response.type == MessageType::Status) {
            if (response.statusCode != StatusEof)
                result = statusOf(response, "Listing \"" + path + "\"");
            ended = true;
            return;
        }
        if (response.type != MessageType::Name) {
            result = Status::failure(ErrorKind::Protocol, "The server answered a listing with something else");
            ended = true;
            return;
        }
        for (NameEntry& name : response.names) {
            bytes += name.name.size() + name.longName.size();
            if (!session::isUsableName(name.name))
                continue;
            session::ListEntry entry;
            entry.name = std::move(name.name);
            entry.isLink = name.attributes.isLink();
            describe(name.attributes, entry);
            entries.push_back(std::move(entry));
        }
        // Names left out count too: a server sending only those is still
        // listing for ever.
        seen += response.names.size();
        if (const auto why = pastLimits(limits, seen, bytes, std::chrono::steady_clock::now() - started)) {
            result = Status::failure(ErrorKind::Protocol, "The folder listing of \"" + path + "\" " + *why);
            ended = true;
        }
    };
    // Reads in flight in growing numbers: a folder of a few entries ends
    // with the first round (its entries, then the end; the ends past it
    // cost the server next to nothing), one of thousands takes a round trip
    // for each doubling. Four to begin with bring a folder of a thousand
    // entries (a hundred an answer from OpenSSH) in two rounds, not three.
    std::vector<std::uint32_t> asked;
    for (std::size_t inFlight = 4; !ended; inFlight = std::min<std::size_t>(inFlight * 2, 32)) {
        asked.clear();
        for (std::size_t i = 0; i < inFlight; ++i)
            asked.push_back(channel.ask(RequestWriter(MessageType::Readdir, channel.nextId()).addString(handle), take));
        for (const std::uint32_t id : asked) {
            if (Status s = channel.waitFor(id); !s.ok()) {
                for (const std::uint32_t unanswered : asked)
                    channel.forget(unanswered);
                return s;
            }
        }
    }
    // Nothing the listing holds depends on the close's answer: it goes
    // without a wait.
    channel.askClose(handle);
    if (Status s = channel.flush(); !s.ok())
        return s;
    if (result.ok())
        result = followLinks(channel, path, entries);
    if (!result.ok())
        entries.clear();
    return result;
}

} // namespace sftp
