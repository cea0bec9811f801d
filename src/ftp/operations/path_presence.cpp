#include "ftp/operations/path_presence.h"

#include "ftp/operations/folder_listing.h"

#include <vector>

namespace ftp {

Presence presenceFromMlst(const Reply& reply)
{
    if (classify(reply.code) == ReplyClass::Done)
        return Presence::Present;
    return reply.code == 550 ? Presence::Absent : Presence::Unknown;
}

Presence presenceFromSize(const Reply& reply)
{
    return reply.code == 213 ? Presence::Present : Presence::Unknown;
}

namespace {

// One question whose reply `read` turns into an answer. A refusal is an
// answer too (it may say nothing); only a broken link fails.
template <typename Read>
Status ask(CommandChannel& channel, std::string_view verb, const std::string& path, Read&& read, Presence& presence)
{
    Reply reply;
    if (Status s = channel.command(withArgument(verb, path), storeReply(reply)); !s.ok())
        return s;
    presence = read(reply);
    return Status::success();
}

} // namespace

Status presenceOf(CommandChannel& channel, const std::string& path, Presence& presence)
{
    presence = Presence::Unknown;
    if (channel.link().features.mlst) {
        if (Status s = ask(channel, "MLST", path, presenceFromMlst, presence); !s.ok() || presence != Presence::Unknown)
            return s;
    }
    if (channel.link().features.size) {
        if (Status s = ask(channel, "SIZE", path, presenceFromSize, presence); !s.ok() || presence != Presence::Unknown)
            return s;
    }
    std::string folder = path;
    std::string name = path;
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) {
        folder = slash == 0 ? std::string("/") : path.substr(0, slash);
        name = path.substr(slash + 1);
    } else {
        folder.clear();
    }
    std::vector<ListEntry> entries;
    const Status listed = listFolder(channel, folder, entries);
    if (!listed.ok())
        return listed.kind() == ErrorKind::Refused ? Status::success() : listed;
    presence = Presence::Absent;
    for (const ListEntry& entry : entries) {
        if (entry.name == name)
            presence = Presence::Present;
    }
    return Status::success();
}

} // namespace ftp
