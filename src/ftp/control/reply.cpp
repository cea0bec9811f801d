#include "ftp/control/reply.h"

#include "ftp/text/ascii.h"

#include <cctype>
#include <initializer_list>

namespace ftp {

namespace {

// Reads a run of decimal digits at `pos` (at most `maxDigits`), advancing `pos`.
std::optional<unsigned> readNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits)
{
    std::size_t start = pos;
    unsigned value = 0;
    while (pos < text.size() && isDigit(text[pos]) && pos - start < maxDigits) {
        value = value * 10 + unsigned(text[pos] - '0');
        ++pos;
    }
    if (pos == start || (pos < text.size() && isDigit(text[pos])))
        return std::nullopt;
    return value;
}

void skipSpaces(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
}

// Six comma-separated numbers 0..255 starting at `pos`: h1,h2,h3,h4,p1,p2.
std::optional<std::uint16_t> pasvPortAt(std::string_view text, std::size_t pos)
{
    unsigned numbers[6];
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            skipSpaces(text, pos);
            if (pos >= text.size() || text[pos] != ',')
                return std::nullopt;
            ++pos;
            skipSpaces(text, pos);
        }
        const auto number = readNumber(text, pos, 3);
        if (!number || *number > 255)
            return std::nullopt;
        numbers[i] = *number;
    }
    const unsigned port = numbers[4] * 256 + numbers[5];
    if (port == 0)
        return std::nullopt;
    return std::uint16_t(port);
}

std::string_view firstLine(std::string_view text)
{
    const auto end = text.find('\n');
    return end == std::string_view::npos ? text : text.substr(0, end);
}

} // namespace

ReplyClass classify(int code)
{
    if (code < 100 || code > 599)
        return ReplyClass::Invalid;
    switch (code / 100) {
    case 1: return ReplyClass::Preliminary;
    case 2: return ReplyClass::Done;
    case 3: return ReplyClass::More;
    case 4: return ReplyClass::TransientRefusal;
    default: return ReplyClass::PermanentRefusal;
    }
}

std::optional<std::uint16_t> parsePasvPort(std::string_view text)
{
    // Servers vary: "(h1,...,p2)", "=h1,...,p2", bare numbers, a trailing dot.
    // Skip the reply code and try every run of digits that starts a number.
    const std::string_view line = firstLine(text);
    std::size_t pos = replyLineCode(line) ? 3 : 0;
    for (; pos < line.size(); ++pos) {
        if (!isDigit(line[pos]) || (pos > 0 && isDigit(line[pos - 1])))
            continue;
        if (const auto port = pasvPortAt(line, pos))
            return port;
    }
    return std::nullopt;
}

std::optional<std::uint16_t> parseEpsvPort(std::string_view text)
{
    // "(<d><d><d>port<d>)" where <d> is one printable delimiter, usually '|'.
    const std::string_view line = firstLine(text);
    for (std::size_t open = line.find('('); open != std::string_view::npos;
         open = line.find('(', open + 1)) {
        std::size_t pos = open + 1;
        if (pos + 3 >= line.size())
            return std::nullopt;
        const char delimiter = line[pos];
        if (delimiter < 33 || delimiter > 126 || isDigit(delimiter))
            continue;
        if (line[pos + 1] != delimiter || line[pos + 2] != delimiter)
            continue;
        pos += 3;
        const auto port = readNumber(line, pos, 5);
        if (!port || *port == 0 || *port > 65535)
            continue;
        if (pos + 1 >= line.size() || line[pos] != delimiter || line[pos + 1] != ')')
            continue;
        return std::uint16_t(*port);
    }
    return std::nullopt;
}

std::optional<std::string> parsePwdPath(std::string_view text)
{
    std::string_view line = firstLine(text);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::size_t pos = replyLineCode(line) ? 4 : 0;
    if (pos > line.size())
        return std::nullopt;
    const auto quote = line.find('"', pos);
    if (quote == std::string_view::npos) {
        // A few servers leave the quotes out: "257 /home/user is the current directory".
        skipSpaces(line, pos);
        if (pos >= line.size() || line[pos] != '/')
            return std::nullopt;
        const auto end = line.find(' ', pos);
        return std::string(line.substr(pos, end == std::string_view::npos ? end : end - pos));
    }
    std::string path;
    for (pos = quote + 1; pos < line.size(); ++pos) {
        if (line[pos] != '"') {
            path += line[pos];
            continue;
        }
        if (pos + 1 < line.size() && line[pos + 1] == '"') {
            path += '"';
            ++pos;
            continue;
        }
        return path;
    }
    return std::nullopt;  // the closing quote never came
}

bool canAnswer(std::string_view verb, int code)
{
    struct Owners {
        int code;
        std::initializer_list<std::string_view> verbs;
    };
    static const Owners owned[] = {
        {211, {"FEAT", "STAT", "SYST", "HELP", "SITE", "OPTS"}},
        {212, {"STAT"}},
        {213, {"SIZE", "MDTM", "STAT", "HASH", "XSHA1", "XSHA256", "XSHA512", "XMD5", "XCRC", "MFMT", "OPTS"}},
        {221, {"QUIT", "REIN"}},
        {225, {"ABOR", "RETR", "STOR", "APPE", "STOU", "LIST", "NLST", "MLSD"}},
        {226, {"ABOR", "RETR", "STOR", "APPE", "STOU", "LIST", "NLST", "MLSD"}},
        {227, {"PASV"}},
        {228, {"LPSV"}},
        {229, {"EPSV"}},
        {230, {"USER", "PASS", "ACCT"}},
        {234, {"AUTH"}},
        {257, {"PWD", "XPWD", "MKD", "XMKD"}},
        {331, {"USER"}},
        {332, {"USER", "PASS"}},
        {350, {"RNFR", "REST"}},
    };
    for (const Owners& entry : owned) {
        if (entry.code != code)
            continue;
        for (const std::string_view owner : entry.verbs) {
            if (owner == verb)
                return true;
        }
        return false;
    }
    return true;
}

bool isSafeArgument(std::string_view argument)
{
    return argument.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<int> replyLineCode(std::string_view line)
{
    if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]))
        return std::nullopt;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-')
        return std::nullopt;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

ReplyAssembler::Progress ReplyAssembler::feed(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    // No server means a NUL, and text with one cannot be shown or passed on whole.
    if (line.find('\0') != std::string_view::npos)
        return Progress::Malformed;
    if (!inMultiLine_) {
        const auto code = replyLineCode(line);
        if (!code || classify(*code) == ReplyClass::Invalid)
            return Progress::Malformed;
        reply_.code = *code;
        reply_.text.assign(line);
        if (line.size() > 3 && line[3] == '-') {
            inMultiLine_ = true;
            return Progress::NeedMore;
        }
        return Progress::Complete;
    }
    if (reply_.text.size() + 1 + line.size() > maxReplySize)
        return Progress::TooLarge;
    reply_.text += '\n';
    reply_.text.append(line);
    // Inner lines may be anything, even "123-more"; only "123 " (or a bare "123")
    // with the opening code ends the reply.
    const auto code = replyLineCode(line);
    if (code && *code == reply_.code && (line.size() == 3 || line[3] == ' ')) {
        inMultiLine_ = false;
        return Progress::Complete;
    }
    return Progress::NeedMore;
}

Reply ReplyAssembler::take()
{
    Reply finished = std::move(reply_);
    reply_ = Reply{};
    inMultiLine_ = false;
    return finished;
}

} // namespace ftp
