#include "ftp/operations/working_folder.h"

namespace ftp {

bool sameFolder(std::string a, std::string b)
{
    while (a.size() > 1 && a.back() == '/')
        a.pop_back();
    while (b.size() > 1 && b.back() == '/')
        b.pop_back();
    return a == b;
}

Status WorkingFolder::current(std::string& path)
{
    FolderMemory& folder = channel_.link().folder;
    if (!folder.away.empty()) {
        path = folder.away;
        return Status::success();
    }
    if (folder.home.empty()) {
        Reply reply;
        if (Status s = channel_.command("PWD", storeReply(reply)); !s.ok())
            return s;
        if (classify(reply.code) == ReplyClass::Done) {
            folder.homeAnswer = parsePwdPath(reply.text).value_or("");
            folder.home = folder.homeAnswer;
        }
    }
    path = folder.home;
    return Status::success();
}

Status WorkingFolder::visit(const std::string& path, bool& entered, Reply* answer)
{
    std::string here;
    if (Status s = current(here); !s.ok())
        return s;
    Reply reply;
    if (Status s = channel_.command(withArgument("CWD", path), storeReply(reply)); !s.ok())
        return s;
    entered = classify(reply.code) == ReplyClass::Done;
    if (answer)
        *answer = reply;
    FolderMemory& folder = channel_.link().folder;
    if (entered)
        folder.away = sameFolder(path, folder.home) ? std::string() : path;
    return Status::success();
}

Status WorkingFolder::returnHome()
{
    FolderMemory& folder = channel_.link().folder;
    if (folder.away.empty())
        return Status::success();
    folder.away.clear();
    // Where the user's folder was never known, the server stays where the
    // listing left it, as it would have without the walk back.
    if (folder.home.empty() || !isSafeArgument(folder.home))
        return Status::success();
    Reply reply;
    if (Status s = channel_.command(withArgument("CWD", folder.home), storeReply(reply)); !s.ok())
        return s;
    if (classify(reply.code) != ReplyClass::Done)
        folder.home.clear(), folder.homeAnswer.clear();  // lost: the next PWD asks
    return Status::success();
}

Status WorkingFolder::print(std::string& path)
{
    if (Status s = returnHome(); !s.ok())
        return s;
    FolderMemory& folder = channel_.link().folder;
    if (folder.homeAnswer.empty()) {
        if (Status s = commandCarrying(channel_, "PWD", parsePwdPath, folder.homeAnswer); !s.ok())
            return s;
        folder.home = folder.homeAnswer;
    }
    path = folder.homeAnswer;
    return Status::success();
}

Status WorkingFolder::change(const std::string& path)
{
    // A relative path starts from the user's folder.
    if (path.front() != '/') {
        if (Status s = returnHome(); !s.ok())
            return s;
    }
    Reply reply;
    const std::string line = withArgument("CWD", path);
    if (Status s = channel_.command(line, storeReply(reply)); !s.ok())
        return s;
    if (Status s = doneOrRefused(line, reply); !s.ok())
        return s;
    FolderMemory& folder = channel_.link().folder;
    folder.away.clear();
    folder.homeAnswer.clear();
    folder.home = path.front() == '/' ? path : std::string();
    return Status::success();
}

} // namespace ftp
