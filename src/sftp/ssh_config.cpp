#include "sftp/ssh_config.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <glob.h>

namespace sftp {
namespace {

// ssh(1) stops at this depth of Includes; a file that includes itself ends here too.
constexpr int maxIncludeDepth = 16;

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// '*' any run, '?' any one character; nothing else is special.
bool wildcardMatch(const char* name, const char* pattern)
{
    for (; *pattern; ++pattern, ++name) {
        if (*pattern == '*') {
            while (pattern[1] == '*')
                ++pattern;
            if (!pattern[1])
                return true;
            for (; *name; ++name) {
                if (wildcardMatch(name, pattern + 1))
                    return true;
            }
            return false;
        }
        if (!*name || (*pattern != '?' && *pattern != *name))
            return false;
    }
    return !*name;
}

// Words split at blanks; "double quotes" keep blanks inside one word. False
// for a quote left open.
bool splitWords(const std::string& text, std::vector<std::string>& words)
{
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return !quoted;
}

std::optional<bool> yesNo(const std::string& word)
{
    const std::string value = lowered(word);
    if (value == "yes" || value == "true")
        return true;
    if (value == "no" || value == "false")
        return false;
    return std::nullopt;
}

std::optional<long> number(const std::string& word, long low, long high)
{
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long value = std::stol(word);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

struct Reader {
    explicit Reader(const ConfigQuery& asked) : query(asked) {}

    const ConfigQuery& query;
    SshConfig result;
    std::vector<std::string> identityLines;
    std::optional<std::string> knownHostsLine, strictLine, identitiesOnlyLine, timeoutLine, jumpLine;
    bool broken = false;

    std::string remoteUser() const
    {
        return !query.user.empty() ? query.user : !result.user.empty() ? result.user : query.localUser;
    }

    void fail(const std::string& fileName, int line, const std::string& why)
    {
        broken = true;
        result.problems.push_back(fileName + (line ? " line " + std::to_string(line) : "") + ": " + why
                                  + "; logging on without it");
    }

    bool readFile(const std::string& path, const std::string& fileName, int depth)
    {
        std::error_code error;
        if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
            fail(fileName, 0, "is not a file");
            return false;
        }
        std::ifstream file(path);
        if (!file) {
            fail(fileName, 0, std::string("cannot be read (") + std::strerror(errno) + ")");
            return false;
        }
        std::stringstream text;
        text << file.rdbuf();
        if (file.bad()) {
            fail(fileName, 0, "cannot be read");
            return false;
        }
        return readText(text.str(), fileName, depth);
    }

    // `Match` criteria; those ssh(1) evaluates on a host it resolved or by
    // running a command are taken as not matching.
    bool matchCriteria(const std::vector<std::string>& words, const std::string& fileName, int line)
    {
        bool all = true;
        for (std::size_t i = 1; i < words.size(); ++i) {
            std::string criterion = lowered(words[i]);
            const bool negated = !criterion.empty() && criterion.front() == '!';
            if (negated)
                criterion.erase(0, 1);
            bool matched = false;
            if (criterion == "all" || criterion == "canonical" || criterion == "final") {
                matched = true;  // one pass, and it is the final one
            } else if (i + 1 < words.size()) {
                const std::string& argument = words[++i];
                if (criterion == "host")
                    matched = matchesPatternList(result.hostName.empty() ? query.host : result.hostName, argument);
                else if (criterion == "originalhost")
                    matched = matchesPatternList(query.host, argument);
                else if (criterion == "user")
                    matched = matchesPatternList(remoteUser(), argument);
                else if (criterion == "localuser")
                    matched = matchesPatternList(query.localUser, argument);
            } else {
                fail(fileName, line, "Match " + criterion + " wants an argument");
                return false;
            }
            all = all && matched != negated;
        }
        return all;
    }

    void include(const std::vector<std::string>& words, int depth)
    {
        for (std::size_t i = 1; i < words.size(); ++i) {
            std::string pattern = words[i];
            if (pattern.empty())
                continue;
            if (pattern.rfind("~/", 0) == 0)
                pattern = query.home + pattern.substr(1);
            else if (pattern.front() != '/')
                pattern = query.sshFolder + "/" + pattern;
            glob_t found{};
            if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
                for (std::size_t n = 0; n < found.gl_pathc; ++n)
                    readFile(found.gl_pathv[n], found.gl_pathv[n], depth + 1);
            }
            ::globfree(&found);
        }
    }

    // First value wins: `slot` keeps the line that set it.
    static bool take(std::optional<std::string>& slot, const std::string& value)
    {
        if (slot)
            return false;
        slot = value;
        return true;
    }

    bool readText(const std::string& text, const std::string& fileName, int depth)
    {
        if (depth > maxIncludeDepth) {
            fail(fileName, 0, "Includes nest too deep");
            return false;
        }
        bool active = true;
        std::string entry = fileName + " (every host)";
        bool entryNoted = false;
        std::istringstream lines(text);
        int lineNumber = 0;
        for (std::string line; std::getline(lines, line);) {
            ++lineNumber;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const auto start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line[start] == '#')
                continue;
            // "Keyword value", "Keyword=value" and "Keyword = value" are all one.
            const auto keywordEnd = line.find_first_of(" \t=", start);
            const std::string keyword = lowered(line.substr(start, keywordEnd - start));
            std::string rest = keywordEnd == std::string::npos ? "" : line.substr(keywordEnd);
            rest.erase(0, rest.find_first_not_of(" \t"));
            if (!rest.empty() && rest.front() == '=')
                rest.erase(0, rest.find_first_not_of(" \t", 1));
            std::vector<std::string> words{keyword};
            if (!splitWords(rest, words)) {
                fail(fileName, lineNumber, "a quote is left open");
                return false;
            }
            if (keyword == "host" || keyword == "match") {
                if (words.size() < 2) {
                    fail(fileName, lineNumber, "\"" + keyword + "\" without a pattern");
                    return false;
                }
                if (keyword == "host") {
                    std::string patterns;
                    for (std::size_t i = 1; i < words.size(); ++i)
                        patterns += (i > 1 ? "," : "") + words[i];
                    active = matchesPatternList(query.host, patterns);
                } else {
                    active = matchCriteria(words, fileName, lineNumber);
                    if (broken)
                        return false;
                }
                entry = std::string(keyword == "host" ? "Host " : "Match ") + rest + " (" + fileName + " line "
                        + std::to_string(lineNumber) + ")";
                entryNoted = false;
                continue;
            }
            if (keyword == "include") {
                if (!active)
                    continue;
                include(words, depth);
                if (broken)
                    return false;
                continue;
            }
            const std::size_t before = result.problems.size();
            if (!setting(words, fileName, lineNumber, active))
                return false;
            if (active && !entryNoted && result.problems.size() == before) {
                result.appliedEntries.push_back(entry);
                entryNoted = true;
            }
        }
        return true;
    }

    // One setting line. Its value is checked wherever it stands, as ssh(1)
    // does, and taken only when `applies`. False: the file is broken.
    bool setting(const std::vector<std::string>& words, const std::string& fileName, int line, bool applies)
    {
        const std::string& keyword = words[0];
        const std::string value = words.size() > 1 ? words[1] : "";
        const std::string word = lowered(value);
        const auto broken = [&](const std::string& why) {
            fail(fileName, line, why);
            return false;
        };
        if (value.empty() && keyword != "identityfile")
            return broken(keyword + " has no value");
        std::optional<long> port, seconds;
        std::vector<std::string> hops;
        if (keyword == "port" && !(port = number(value, 1, 65535)))
            return broken("\"" + value + "\" is not a port");
        if ((keyword == "identitiesonly" && !yesNo(value))
            || (keyword == "stricthostkeychecking" && !yesNo(value) && word != "ask" && word != "accept-new"
                && word != "off"))
            return broken("\"" + value + "\" is no value for " + keyword);
        if (keyword == "connecttimeout" && word != "none" && !(seconds = number(value, 1, 100000000)))
            return broken("\"" + value + "\" is no time-out");
        if (keyword == "proxyjump" && word != "none") {
            for (std::size_t at = 0; at <= value.size();) {
                const auto comma = std::min(value.find(',', at), value.size());
                hops.push_back(value.substr(at, comma - at));
                if (!parseJumpHop(hops.back()))
                    return broken("\"" + hops.back() + "\" is no jump host");
                at = comma + 1;
            }
        }
        if (!applies)
            return true;

        if (keyword == "hostname" && result.hostName.empty()) {
            // %h in HostName is the typed name ("HostName %h.example.com").
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (value[i] == '%' && i + 1 < value.size() && (value[i + 1] == 'h' || value[i + 1] == '%'))
                    result.hostName += value[++i] == 'h' ? query.host : "%";
                else
                    result.hostName += value[i];
            }
        } else if (keyword == "port" && !result.port) {
            result.port = std::uint16_t(*port);
        } else if (keyword == "user" && result.user.empty()) {
            result.user = value;
        } else if (keyword == "identityfile" && !value.empty() && word != "none") {
            identityLines.push_back(value);
        } else if (keyword == "identitiesonly" && take(identitiesOnlyLine, word)) {
            result.identitiesOnly = *yesNo(value);
        } else if (keyword == "stricthostkeychecking" && take(strictLine, word)) {
            result.strictHostKeyChecking = yesNo(value).value_or(false);
        } else if (keyword == "userknownhostsfile") {
            take(knownHostsLine, value);
        } else if (keyword == "connecttimeout" && take(timeoutLine, word) && seconds) {
            result.connectTimeout = std::chrono::seconds(*seconds);
        } else if ((keyword == "proxyjump" || keyword == "proxycommand") && take(jumpLine, keyword)) {
            // The two exclude each other: whichever comes first is the way in.
            if (keyword == "proxycommand" && word != "none")
                result.problems.push_back(fileName + " line " + std::to_string(line)
                                          + ": ProxyCommand is not followed; connecting directly");
            result.proxyJump = hops;
        }
        return true;
    }

    std::string expanded(const std::string& path) const
    {
        std::string out;
        const std::string host = result.hostName.empty() ? query.host : result.hostName;
        std::size_t i = 0;
        if (path.rfind("~/", 0) == 0 || path == "~") {
            out = query.home;
            i = 1;
        }
        for (; i < path.size(); ++i) {
            if (path[i] != '%' || i + 1 == path.size()) {
                out += path[i];
                continue;
            }
            switch (path[++i]) {
            case 'd': out += query.home; break;
            case 'u': out += query.localUser; break;
            case 'h': out += host; break;
            case 'n': out += query.host; break;
            case 'r': out += remoteUser(); break;
            case 'p': out += std::to_string(result.port.value_or(22)); break;
            case '%': out += '%'; break;
            default: out += '%'; out += path[i]; break;
            }
        }
        return out;
    }

    void finish()
    {
        if (broken) {
            // The logon goes on as if the config were not there; only the reason stays.
            SshConfig bare;
            bare.problems = std::move(result.problems);
            result = std::move(bare);
            return;
        }
        for (const std::string& line : identityLines)
            result.identityFiles.push_back(expanded(line));
        if (knownHostsLine)
            result.userKnownHostsFile = lowered(*knownHostsLine) == "none" ? "/dev/null" : expanded(*knownHostsLine);
    }
};

} // namespace

bool matchesPatternList(const std::string& name, const std::string& patterns)
{
    const std::string subject = lowered(name);
    bool matched = false;
    std::size_t at = 0;
    while (at <= patterns.size()) {
        const auto comma = std::min(patterns.find(',', at), patterns.size());
        std::string pattern = lowered(patterns.substr(at, comma - at));
        at = comma + 1;
        const bool negated = !pattern.empty() && pattern.front() == '!';
        if (negated)
            pattern.erase(0, 1);
        if (pattern.empty() || !wildcardMatch(subject.c_str(), pattern.c_str()))
            continue;
        if (negated)
            return false;  // a negated match rules the name out, whatever else matched
        matched = true;
    }
    return matched;
}

std::optional<JumpHop> parseJumpHop(const std::string& text)
{
    JumpHop hop;
    std::string rest = text;
    if (const auto at = rest.rfind('@'); at != std::string::npos) {
        hop.user = rest.substr(0, at);
        rest = rest.substr(at + 1);
    }
    std::string portText;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string::npos)
            return std::nullopt;
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':')
                return std::nullopt;
            portText = rest.substr(close + 2);
        }
        rest = rest.substr(1, close - 1);
    } else if (const auto colon = rest.find(':'); colon != std::string::npos) {
        if (rest.find(':', colon + 1) != std::string::npos)
            return std::nullopt;  // a bare IPv6 address wants brackets to carry a port
        portText = rest.substr(colon + 1);
        rest = rest.substr(0, colon);
    }
    if (rest.empty() || rest.find_first_of(" \t/") != std::string::npos)
        return std::nullopt;
    hop.host = rest;
    if (!portText.empty() || text.back() == ':') {
        const auto port = number(portText, 1, 65535);
        if (!port)
            return std::nullopt;
        hop.port = std::uint16_t(*port);
    }
    return hop;
}

SshConfig parseSshConfig(const std::string& text, const std::string& fileName, const ConfigQuery& query)
{
    Reader reader(query);
    reader.readText(text, fileName, 0);
    reader.finish();
    return reader.result;
}

SshConfig readSshConfig(const ConfigQuery& query)
{
    const std::string path = query.sshFolder + "/config";
    std::ifstream probe(path);
    if (!probe && errno == ENOENT)
        return {};
    Reader reader(query);
    reader.readFile(path, path, 0);
    reader.finish();
    return reader.result;
}

} // namespace sftp
