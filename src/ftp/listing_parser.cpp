#include "ftp/listing_parser.h"

#include <array>
#include <cstdint>
#include <limits>

namespace ftp {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view withoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// All digits, fitting the result; nothing else.
std::optional<std::uint64_t> parseUnsigned(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        const unsigned digit = unsigned(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<int> parseSmall(std::string_view text, std::size_t minDigits, std::size_t maxDigits)
{
    if (text.size() < minDigits || text.size() > maxDigits)
        return std::nullopt;
    const auto value = parseUnsigned(text);
    if (!value)
        return std::nullopt;
    return int(*value);
}

// "1,234,567" as IIS prints it, or plain digits.
std::optional<std::uint64_t> parseGroupedSize(std::string_view text)
{
    std::string digits;
    digits.reserve(text.size());
    std::size_t sinceComma = 0;
    bool sawComma = false;
    for (char c : text) {
        if (c == ',') {
            if (digits.empty() || (sawComma && sinceComma != 3))
                return std::nullopt;
            sawComma = true;
            sinceComma = 0;
            continue;
        }
        digits += c;
        ++sinceComma;
    }
    if (sawComma && sinceComma != 3)
        return std::nullopt;
    return parseUnsigned(digits);
}

bool validDate(int year, int month, int day)
{
    return year >= 1900 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool validTime(int hour, int minute, int second)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 60;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long long daysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

long long minutesOf(const DateTime& t)
{
    return daysFromCivil(t.year, t.month, t.day) * 1440 + t.hour * 60 + t.minute;
}

struct Token {
    std::size_t begin;
    std::size_t end;
    std::string_view text;
};

std::vector<Token> splitTokens(std::string_view line)
{
    std::vector<Token> tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size())
            break;
        const std::size_t begin = pos;
        while (pos < line.size() && !isBlank(line[pos]))
            ++pos;
        tokens.push_back({begin, pos, line.substr(begin, pos - begin)});
    }
    return tokens;
}

// The rest of the line after `pos` and the blanks that follow it, exactly as sent.
std::string_view restAfter(std::string_view line, std::size_t pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return line.substr(pos);
}

bool isSelfOrParent(std::string_view name) { return name == "." || name == ".."; }

// ---------------------------------------------------------------- MLSD

std::optional<DateTime> parseMlsdTime(std::string_view value)
{
    // "YYYYMMDDHHMMSS" with an optional ".sss" fraction.
    const auto dot = value.find('.');
    const std::string_view whole = value.substr(0, dot);
    if (whole.size() != 14 || !parseUnsigned(whole))
        return std::nullopt;
    if (dot != std::string_view::npos && !parseUnsigned(value.substr(dot + 1)))
        return std::nullopt;
    DateTime t;
    t.year = *parseSmall(whole.substr(0, 4), 4, 4);
    t.month = *parseSmall(whole.substr(4, 2), 2, 2);
    t.day = *parseSmall(whole.substr(6, 2), 2, 2);
    t.hour = *parseSmall(whole.substr(8, 2), 2, 2);
    t.minute = *parseSmall(whole.substr(10, 2), 2, 2);
    t.second = *parseSmall(whole.substr(12, 2), 2, 2);
    if (!validDate(t.year, t.month, t.day) || !validTime(t.hour, t.minute, t.second))
        return std::nullopt;
    return t;
}

// ---------------------------------------------------------------- Unix "ls -l"

constexpr std::array<std::string_view, 12> monthNames = {
    "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

std::optional<int> monthNumber(std::string_view token)
{
    if (token.size() != 3)
        return std::nullopt;
    for (std::size_t i = 0; i < monthNames.size(); ++i) {
        if (equalsIgnoringCase(token, monthNames[i]))
            return int(i) + 1;
    }
    return std::nullopt;
}

// "hh:mm" (or "h:mm").
bool parseClock(std::string_view token, int& hour, int& minute)
{
    const auto colon = token.find(':');
    if (colon == std::string_view::npos)
        return false;
    const auto h = parseSmall(token.substr(0, colon), 1, 2);
    const auto m = parseSmall(token.substr(colon + 1), 2, 2);
    if (!h || !m || !validTime(*h, *m, 0))
        return false;
    hour = *h;
    minute = *m;
    return true;
}

bool looksLikeUnixPermissions(std::string_view token)
{
    if (token.size() < 10)
        return false;
    if (std::string_view("-dlbcpsDn").find(token[0]) == std::string_view::npos)
        return false;
    for (std::size_t i = 1; i < 10; ++i) {
        if (std::string_view("-rwxsStTlL").find(token[i]) == std::string_view::npos)
            return false;
    }
    return true;  // "+", "@" or "." after the nine letters mark ACLs and contexts
}

std::optional<ListEntry> parseUnixLine(std::string_view line, const DateTime& now)
{
    const auto tokens = splitTokens(line);
    if (tokens.size() < 5 || !looksLikeUnixPermissions(tokens[0].text))
        return std::nullopt;

    // Find the date, then take the size just before it and the name after it.
    // Searching for the date copes with a missing link count or group column.
    for (std::size_t i = 2; i + 1 < tokens.size(); ++i) {
        ListEntry entry;
        std::size_t dateEnd = 0;
        if (const auto month = monthNumber(tokens[i].text)) {
            if (i + 2 >= tokens.size())
                continue;
            const auto day = parseSmall(tokens[i + 1].text, 1, 2);
            if (!day || *day < 1 || *day > 31)
                continue;
            entry.modified.month = *month;
            entry.modified.day = *day;
            const std::string_view yearOrTime = tokens[i + 2].text;
            if (parseClock(yearOrTime, entry.modified.hour, entry.modified.minute)) {
                entry.modified.year = now.year;
                if (minutesOf(entry.modified) > minutesOf(now) + 1440)
                    entry.modified.year = now.year - 1;
            } else if (const auto year = parseSmall(yearOrTime, 4, 4); year && validDate(*year, 1, 1)) {
                entry.modified.year = *year;
            } else {
                continue;
            }
            dateEnd = tokens[i + 2].end;
        } else if (tokens[i].text.size() == 10 && tokens[i].text[4] == '-' && tokens[i].text[7] == '-') {
            // "--time-style=long-iso": "2021-03-05 14:07".
            const auto year = parseSmall(tokens[i].text.substr(0, 4), 4, 4);
            const auto month = parseSmall(tokens[i].text.substr(5, 2), 2, 2);
            const auto day = parseSmall(tokens[i].text.substr(8, 2), 2, 2);
            if (!year || !month || !day || !validDate(*year, *month, *day))
                continue;
            entry.modified.year = *year;
            entry.modified.month = *month;
            entry.modified.day = *day;
            if (!parseClock(tokens[i + 1].text, entry.modified.hour, entry.modified.minute))
                continue;
            dateEnd = tokens[i + 1].end;
        } else {
            continue;
        }

        const auto size = parseUnsigned(tokens[i - 1].text);
        if (!size)
            continue;
        std::string_view name = restAfter(line, dateEnd);
        if (name.empty())
            return std::nullopt;
        entry.size = *size;
        entry.isFolder = tokens[0].text[0] == 'd';
        if (tokens[0].text[0] == 'l') {
            entry.isLink = true;
            const auto arrow = name.find(" -> ");
            if (arrow != std::string_view::npos) {
                const std::string_view target = name.substr(arrow + 4);
                entry.isFolder = !target.empty() && target.back() == '/';
                name = name.substr(0, arrow);
            }
        }
        if (name.empty() || isSelfOrParent(name))
            return std::nullopt;
        entry.name.assign(name);
        return entry;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- DOS / IIS

// "03-05-21", "03-05-2021" (also with '/').
bool parseDosDate(std::string_view token, DateTime& t)
{
    if (token.size() != 8 && token.size() != 10)
        return false;
    const char separator = token[2];
    if ((separator != '-' && separator != '/') || token[5] != separator)
        return false;
    const auto month = parseSmall(token.substr(0, 2), 2, 2);
    const auto day = parseSmall(token.substr(3, 2), 2, 2);
    auto year = parseSmall(token.substr(6), 2, 4);
    if (!month || !day || !year || token.size() - 6 == 3)
        return false;
    if (token.size() == 8)
        *year += *year < 70 ? 2000 : 1900;
    if (!validDate(*year, *month, *day))
        return false;
    t.year = *year;
    t.month = *month;
    t.day = *day;
    return true;
}

// "02:07PM", "14:07", or "02:07" followed by a separate "PM".
bool parseDosTime(std::string_view token, std::string_view next, bool& usedNext, DateTime& t)
{
    usedNext = false;
    std::string_view suffix;
    std::string_view clock = token;
    if (clock.size() >= 2 && (startsWithIgnoringCase(clock.substr(clock.size() - 2), "am")
                              || startsWithIgnoringCase(clock.substr(clock.size() - 2), "pm"))) {
        suffix = clock.substr(clock.size() - 2);
        clock.remove_suffix(2);
    } else if (equalsIgnoringCase(next, "am") || equalsIgnoringCase(next, "pm")) {
        suffix = next;
        usedNext = true;
    }
    int hour = 0;
    int minute = 0;
    if (!parseClock(clock, hour, minute))
        return false;
    if (!suffix.empty()) {
        if (hour < 1 || hour > 12)
            return false;
        const bool pm = lower(suffix[0]) == 'p';
        hour = hour % 12 + (pm ? 12 : 0);
    }
    t.hour = hour;
    t.minute = minute;
    return true;
}

std::optional<ListEntry> parseDosLine(std::string_view line)
{
    const auto tokens = splitTokens(line);
    if (tokens.size() < 4)
        return std::nullopt;
    ListEntry entry;
    if (!parseDosDate(tokens[0].text, entry.modified))
        return std::nullopt;
    bool usedNext = false;
    if (!parseDosTime(tokens[1].text, tokens[2].text, usedNext, entry.modified))
        return std::nullopt;
    const std::size_t kind = usedNext ? 3 : 2;
    if (kind + 1 >= tokens.size())
        return std::nullopt;
    if (equalsIgnoringCase(tokens[kind].text, "<DIR>")) {
        entry.isFolder = true;
    } else {
        const auto size = parseGroupedSize(tokens[kind].text);
        if (!size)
            return std::nullopt;
        entry.size = *size;
    }
    const std::string_view name = restAfter(line, tokens[kind].end);
    if (name.empty() || isSelfOrParent(name))
        return std::nullopt;
    entry.name.assign(name);
    return entry;
}

template <typename ParseLine>
std::vector<ListEntry> parseLines(std::string_view body, ParseLine parseLine)
{
    std::vector<ListEntry> entries;
    std::size_t pos = 0;
    while (pos < body.size()) {
        auto end = body.find('\n', pos);
        if (end == std::string_view::npos)
            end = body.size();
        if (auto entry = parseLine(body.substr(pos, end - pos)))
            entries.push_back(std::move(*entry));
        pos = end + 1;
    }
    return entries;
}

} // namespace

std::optional<ListEntry> parseMlsdLine(std::string_view line)
{
    line = withoutCarriageReturn(line);
    const auto space = line.find(' ');
    if (space == std::string_view::npos || space + 1 >= line.size())
        return std::nullopt;
    ListEntry entry;
    entry.name.assign(line.substr(space + 1));
    std::string_view facts = line.substr(0, space);
    bool sawFact = false;
    while (!facts.empty()) {
        const auto semicolon = facts.find(';');
        const std::string_view fact = facts.substr(0, semicolon);
        facts = semicolon == std::string_view::npos ? std::string_view() : facts.substr(semicolon + 1);
        const auto equals = fact.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        sawFact = true;
        const std::string_view key = fact.substr(0, equals);
        const std::string_view value = fact.substr(equals + 1);
        if (equalsIgnoringCase(key, "type")) {
            if (equalsIgnoringCase(value, "cdir") || equalsIgnoringCase(value, "pdir"))
                return std::nullopt;
            // "dir", and links that say where they point: "OS.unix=slink:/pub/".
            entry.isLink = startsWithIgnoringCase(value, "OS.unix=slink") || equalsIgnoringCase(value, "OS.unix=symlink");
            entry.isFolder = equalsIgnoringCase(value, "dir")
                || (startsWithIgnoringCase(value, "OS.unix=slink:") && value.back() == '/');
        } else if (equalsIgnoringCase(key, "size")) {
            if (const auto size = parseUnsigned(value))
                entry.size = *size;
        } else if (equalsIgnoringCase(key, "modify")) {
            if (const auto time = parseMlsdTime(value))
                entry.modified = *time;
        }
    }
    // A line without a single fact is not MLSD ("total 3", a LIST line...).
    if (!sawFact && space != 0)
        return std::nullopt;
    return entry;
}

std::optional<ListEntry> parseListLine(std::string_view line, const DateTime& now)
{
    line = withoutCarriageReturn(line);
    if (line.empty())
        return std::nullopt;
    if (isDigit(line[0]))
        return parseDosLine(line);
    return parseUnixLine(line, now);
}

std::optional<ListEntry> parseListLine(std::string_view line, int currentYear)
{
    // Without today's date no "Mon dd hh:mm" date can be told to lie in the future.
    return parseListLine(line, DateTime{currentYear, 12, 31, 23, 59, 59});
}

std::vector<ListEntry> parseMlsdListing(std::string_view body)
{
    return parseLines(body, [](std::string_view line) { return parseMlsdLine(line); });
}

std::vector<ListEntry> parseListListing(std::string_view body, const DateTime& now)
{
    return parseLines(body, [&now](std::string_view line) { return parseListLine(line, now); });
}

std::vector<ListEntry> parseListListing(std::string_view body, int currentYear)
{
    return parseListListing(body, DateTime{currentYear, 12, 31, 23, 59, 59});
}

} // namespace ftp
