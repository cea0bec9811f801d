#include "ftp/listing/line_tokens.h"

#include <limits>

namespace ftp::listing {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

std::string_view withoutLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

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

std::optional<std::uint64_t> parseThousands(std::string_view word, std::initializer_list<std::string_view> separators)
{
    std::string_view separator;
    std::uint64_t value = 0;
    std::size_t group = 0;
    std::size_t groups = 0;
    for (std::size_t i = 0; i < word.size();) {
        if (isDigit(word[i])) {
            if (value > (~std::uint64_t(0) - 9) / 10)
                return std::nullopt;
            value = value * 10 + unsigned(word[i] - '0');
            ++group;
            ++i;
            continue;
        }
        std::string_view found;
        for (const auto candidate : separators) {
            if (word.substr(i, candidate.size()) == candidate) {
                found = candidate;
                break;
            }
        }
        if (found.empty() || (!separator.empty() && found != separator))
            return std::nullopt;
        if (group == 0 || group > 3 || (groups > 0 && group != 3))
            return std::nullopt;
        separator = found;
        group = 0;
        ++groups;
        i += found.size();
    }
    if (groups == 0 || group != 3)
        return std::nullopt;
    return value;
}

std::optional<int> parseSmall(std::string_view text, std::size_t minDigits, std::size_t maxDigits)
{
    if (text.size() < minDigits || text.size() > maxDigits || maxDigits > 9)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

LineTokens::LineTokens(std::string_view line)
    : line_(line)
{
    std::size_t pos = 0;
    while (pos < line.size() && count_ < capacity) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size())
            break;
        const std::size_t begin = pos;
        while (pos < line.size() && !isBlank(line[pos]))
            ++pos;
        tokens_[count_++] = Token{begin, pos, line.substr(begin, pos - begin)};
    }
}

} // namespace ftp::listing
