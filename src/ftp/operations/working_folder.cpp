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
    LinkLearnt& learnt = channel_.learnt();
    if (!learnt.away.empty()) {
        path = learnt.away;
        return Status::success();
    }
    if (learnt.home.empty()) {
        Reply reply;
        if (Status s = channel_.command("PWD", reply); !s.ok())
            return s;
        if (classify(reply.code) == ReplyClass::Done) {
            learnt.homeAnswer = parsePwdPath(reply.text).value_or("");
            learnt.home = learnt.homeAnswer;
        }
    }
    path = learnt.home;
    return Status::success();
}

Status WorkingFolder::visit(const std::string& path, bool& entered, Reply* answer)
{
    std::string here;
    if (Status s = current(here); !s.ok())
        return s;
    Reply reply;
    if (Status s = channel_.command(withArgument("CWD", path), reply); !s.ok())
        return s;
    entered = classify(reply.code) == ReplyClass::Done;
    if (answer)
        *answer = reply;
    LinkLearnt& learnt = channel_.learnt();
    if (entered)
        learnt.away = sameFolder(path, learnt.home) ? std::string() : path;
    return Status::success();
}

Status WorkingFolder::returnHome()
{
    LinkLearnt& learnt = channel_.learnt();
    if (learnt.away.empty())
        return Status::success();
    learnt.away.clear();
    // Where the user's folder was never known, the server stays where the
    // listing left it, as it would have without the walk back.
    if (learnt.home.empty() || !isSafeArgument(learnt.home))
        return Status::success();
    Reply reply;
    if (Status s = channel_.command(withArgument("CWD", learnt.home), reply); !s.ok())
        return s;
    if (classify(reply.code) != ReplyClass::Done)
        learnt.home.clear(), learnt.homeAnswer.clear();  // lost: the next PWD asks
    return Status::success();
}

Status WorkingFolder::print(std::string& path)
{
    if (Status s = returnHome(); !s.ok())
        return s;
    LinkLearnt& learnt = channel_.learnt();
    if (learnt.homeAnswer.empty()) {
        if (Status s = commandCarrying(channel_, "PWD", parsePwdPath, learnt.homeAnswer); !s.ok())
            return s;
        learnt.home = learnt.homeAnswer;
    }
    path = learnt.homeAnswer;
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
    if (Status s = channel_.command(line, reply); !s.ok())
        return s;
    if (Status s = doneOrRefused(line, reply); !s.ok())
        return s;
    LinkLearnt& learnt = channel_.learnt();
    learnt.away.clear();
    learnt.homeAnswer.clear();
    learnt.home = path.front() == '/' ? path : std::string();
    return Status::success();
}

} // namespace ftp
