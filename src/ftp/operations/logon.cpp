#include "ftp/operations/logon.h"

#include "ftp/text/ascii.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace ftp {

namespace {

// The line of a FEAT reply that names `feature` (" MLST type*;size*;"), given
// as what follows the name ("type*;size*;"); nothing when it is not listed.
std::optional<std::string_view> featureLine(const std::string& featReply, std::string_view feature)
{
    std::size_t pos = featReply.find('\n');
    while (pos != std::string::npos) {
        const std::size_t begin = pos + 1;
        pos = featReply.find('\n', begin);
        std::string_view line = std::string_view(featReply).substr(
            begin, pos == std::string::npos ? std::string_view::npos : pos - begin);
        if (pos == std::string::npos)
            break;  // the closing "211 End" line
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        while (!line.empty() && line.back() == ' ')
            line.remove_suffix(1);
        const std::size_t space = line.find(' ');
        if (sameLetters(line.substr(0, space), feature))
            return space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    }
    return std::nullopt;
}

bool offersFeature(const std::string& featReply, std::string_view feature)
{
    return featureLine(featReply, feature).has_value();
}

// "SHA-256*;SHA-1;MD5": which of our digests HASH gives, and the one it gives now (marked '*').
void readHashAlgorithms(std::string_view list, ServerFeatures& features, LinkLearnt& learnt)
{
    while (!list.empty()) {
        const std::size_t end = list.find(';');
        std::string_view name = list.substr(0, end);
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
        const bool selected = !name.empty() && name.back() == '*';
        if (selected)
            name.remove_suffix(1);
        if (sameLetters(name, "SHA-256"))
            features.hashSha256 = true;
        else if (sameLetters(name, "SHA-1"))
            features.hashSha1 = true;
        if (selected)
            learnt.hashSelected = std::string(name);
    }
}

Status greeting(LogonContext& context)
{
    Reply& reply = context.lastReply;
    if (Status s = context.channel.readReply(reply, context.channel.replyDeadline()); !s.ok())
        return s;
    if (classify(reply.code) != ReplyClass::Done)
        return classify(reply.code) == ReplyClass::More ? unexpected("the connection", reply)
                                                        : refusal("the connection", reply);
    return Status::success();
}

Status logonRefused(const Reply& reply)
{
    // 332 asks for an account, which we have no way to give.
    return classify(reply.code) == ReplyClass::Invalid ? unexpected("the logon", reply)
                                                       : refusal("the logon", reply);
}

Status user(LogonContext& context)
{
    Reply& reply = context.lastReply;
    if (Status s = context.channel.command(withArgument("USER", context.credentials.user), storeReply(reply)); !s.ok())
        return s;
    if (classify(reply.code) == ReplyClass::Done || reply.code == 331)
        return Status::success();
    return logonRefused(reply);
}

Status password(LogonContext& context)
{
    Reply& reply = context.lastReply;
    if (Status s = context.channel.command(withArgument("PASS", context.credentials.password), storeReply(reply));
        !s.ok())
        return s;
    return classify(reply.code) == ReplyClass::Done ? Status::success() : logonRefused(reply);
}

// FEAT with TYPE I sent right behind it: binary type does not depend on
// what the server offers, so both cost one round trip.
Status features(LogonContext& context)
{
    Reply& reply = context.lastReply;
    CommandChannel& channel = context.channel;
    const Deadline deadline = channel.replyDeadline();
    if (Status s = channel.send("FEAT", storeReply(reply), deadline); !s.ok())
        return s;
    if (Status s = channel.send("TYPE I", requireDone("TYPE I"), deadline); !s.ok())
        return s;
    if (Status s = channel.await(deadline); !s.ok())
        return s;
    ServerFeatures& features = channel.link().features;
    if (classify(reply.code) == ReplyClass::Done) {
        features.mlst = offersFeature(reply.text, "MLST");
        features.utf8 = offersFeature(reply.text, "UTF8");
        features.size = offersFeature(reply.text, "SIZE");
        features.xsha256 = offersFeature(reply.text, "XSHA256");
        features.xsha1 = offersFeature(reply.text, "XSHA1");
        if (const auto hash = featureLine(reply.text, "HASH"))
            readHashAlgorithms(*hash, features, context.channel.link().learnt);
    }
    return Status::success();
}

Status utf8On(LogonContext& context)
{
    // A server that lists UTF8 in FEAT uses UTF-8 paths whatever it answers
    // here (RFC 2640); many refuse OPTS UTF8 ON because it is always on. So
    // nobody waits for the answer: the next command reads it on its way.
    return context.channel.send("OPTS UTF8 ON", {}, context.channel.replyDeadline());
}

} // namespace

std::vector<LogonStep> logonSteps()
{
    std::vector<LogonStep> steps;
    steps.push_back({"greeting", {}, greeting});
    // Slot: steps that secure the control connection (AUTH TLS) go here, so
    // that the credentials below never travel in the clear.
    steps.push_back({"USER", {}, user});
    steps.push_back({"PASS", [](const LogonContext& c) { return c.lastReply.code != 331; }, password});
    // Slot: steps that protect the data connections (PBSZ 0, PROT P) go here:
    // after logon, before the first data connection.
    steps.push_back({"FEAT", {}, features});
    steps.push_back({"OPTS UTF8 ON", [](const LogonContext& c) { return !c.channel.link().features.utf8; }, utf8On});
    return steps;
}

Status runLogon(LogonContext& context, const std::vector<LogonStep>& steps)
{
    for (const LogonStep& step : steps) {
        if (step.skip && step.skip(context))
            continue;
        if (Status s = step.run(context); !s.ok())
            return s;
    }
    context.channel.loggedOn();
    return Status::success();
}

} // namespace ftp
