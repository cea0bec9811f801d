#include "ftp/listing/unix_listing.h"

#include "ftp/listing/entry_names.h"
#include "ftp/listing/line_tokens.h"
#include "ftp/listing/listing_dates.h"

#include <string>

namespace ftp {

namespace listing {
namespace {

// Beyond the usual "-dlbcps": doors, network special files, whiteouts,
// migrated, event ports, contiguous, unknown and other entries as various
// systems print them.
bool isFileTypeLetter(char c) { return std::string_view("-dlbcpsDnLwPMC?=").find(c) != std::string_view::npos; }

bool isPermissions(std::string_view token)
{
    if (token.size() < 10 || token.size() > 11 || !isFileTypeLetter(token[0]))
        return false;
    for (std::size_t i = 1; i < 10; ++i) {
        if (std::string_view("-rwxsStTlL").find(token[i]) == std::string_view::npos)
            return false;
    }
    // "+" marks an ACL, "@" extended attributes, "." an SELinux context.
    return token.size() == 10 || std::string_view("+@.").find(token[10]) != std::string_view::npos;
}

// "1.5K", "12M", "3G", "512B", "4.0KiB", "3,4G": sizes rounded for people,
// with the decimal point or comma of the server's language.
std::optional<std::uint64_t> parseSizeWithUnit(std::string_view token)
{
    std::size_t pos = 0;
    while (pos < token.size() && isDigit(token[pos]))
        ++pos;
    if (pos == 0)
        return std::nullopt;
    std::uint64_t fraction = 0;
    std::uint64_t fractionScale = 1;
    const std::string_view whole = token.substr(0, pos);
    if (pos < token.size() && (token[pos] == '.' || token[pos] == ',')) {
        ++pos;
        const std::size_t start = pos;
        while (pos < token.size() && isDigit(token[pos]) && pos - start < 6) {
            fraction = fraction * 10 + unsigned(token[pos] - '0');
            fractionScale *= 10;
            ++pos;
        }
        if (pos == start)
            return std::nullopt;
    }
    std::string_view unit = token.substr(pos);
    static constexpr std::string_view prefixes = "kmgtpe";
    unsigned power = 0;
    // "ls -h" counts in 1024s and writes "K"; only "ls --si", counting in
    // 1000s, writes a small "k" (its "M" and "G" cannot be told apart).
    unsigned base = 1024;
    if (!unit.empty()) {
        const auto found = prefixes.find(lowerAscii(unit[0]));
        if (found != std::string_view::npos) {
            power = unsigned(found) + 1;
            if (unit[0] == 'k')
                base = 1000;
            unit.remove_prefix(1);
            if (!unit.empty() && (unit[0] == 'i' || unit[0] == 'I')) {
                unit.remove_prefix(1);
                base = 1024;
            }
        }
    }
    if (!(unit.empty() || unit == "B" || unit == "b") || (power == 0 && unit.empty()))
        return std::nullopt;
    const auto wholeValue = parseUnsigned(whole);
    if (!wholeValue)
        return std::nullopt;
    long double value = static_cast<long double>(*wholeValue) + static_cast<long double>(fraction) / fractionScale;
    for (unsigned i = 0; i < power; ++i)
        value *= base;
    if (value >= 18446744073709551615.0L)
        return std::nullopt;
    return std::uint64_t(value + 0.5L);
}

// The size column in front of a date at word `date`: known, unknown (a
// device's "major, minor"), or no size at all (nothing: not this date).
std::optional<std::optional<std::uint64_t>> sizeBefore(const LineTokens& tokens, std::size_t date)
{
    const std::size_t at = date - 1;
    const std::string_view word = tokens.text(at);
    if (allDigits(word)) {
        const std::string_view before = at >= 2 ? tokens.text(at - 1) : std::string_view();
        if (before.size() >= 2 && before.back() == ',' && allDigits(before.substr(0, before.size() - 1)))
            return std::optional<std::uint64_t>();
        if (const auto size = parseUnsigned(word))
            return std::optional<std::uint64_t>(*size);
        return std::nullopt;
    }
    const char type = tokens[0].text[0];
    const auto comma = word.find(',');
    if (comma != std::string_view::npos && (type == 'b' || type == 'c')) {
        // "8,1" on a device line.
        if (allDigits(word.substr(0, comma)) && allDigits(word.substr(comma + 1)))
            return std::optional<std::uint64_t>();
        return std::nullopt;
    }
    if ((type == 'b' || type == 'c') && word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        // BSD prints a device number it cannot split in hex: "0x3000000".
        if (word.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string_view::npos)
            return std::optional<std::uint64_t>();
        return std::nullopt;
    }
    if (isDigit(word[0])) {
        // A size grouped in thousands, else one rounded with a decimal comma.
        // "1.234.567", "1'234'567" and "1 234 567" with a no-break or narrow
        // no-break space, as "ls --block-size=\'1" groups them by language.
        if (const auto size = parseThousands(word, {",", ".", "'", "\xe2\x80\xaf", "\xc2\xa0", "\xa0"}))
            return std::optional<std::uint64_t>(*size);
    }
    if (const auto size = parseSizeWithUnit(word))
        return std::optional<std::uint64_t>(*size);
    // "ftpusers123456": a long group name ran into the size. Only when the
    // columns before it are exactly the link count and the owner (or just
    // the owner) can the digits be nothing but the size.
    std::size_t digits = word.size();
    while (digits > 0 && isDigit(word[digits - 1]))
        --digits;
    if (digits == 0 || digits == word.size() || isDigit(word[0]))
        return std::nullopt;
    const bool linkCount = allDigits(tokens.text(1));
    if ((linkCount && at == 3) || (!linkCount && at == 2)) {
        if (const auto size = parseUnsigned(word.substr(digits)))
            return std::optional<std::uint64_t>(*size);
    }
    return std::nullopt;
}

std::optional<ListEntry> entryAt(const LineTokens& tokens, std::size_t date, const DateSpan& span)
{
    const auto size = sizeBefore(tokens, date);
    if (!size)
        return std::nullopt;
    const std::string_view line = tokens.line();
    // Exactly one blank ends the date (two after a padded ISO date); every
    // further blank is part of the name.
    const std::size_t end = tokens[span.next - 1].end;
    if (end + span.blanksAfter >= line.size())
        return std::nullopt;
    for (std::size_t k = 0; k < span.blanksAfter; ++k) {
        if (!isBlank(line[end + k]))
            return std::nullopt;
    }
    std::string_view name = line.substr(end + span.blanksAfter);
    const char type = tokens[0].text[0];
    ListEntry entry;
    entry.size = *size;
    entry.modified = span.date;
    entry.isFolder = type == 'd';
    if (type == 'l') {
        entry.isLink = true;
        const auto arrow = name.find(" -> ");
        if (arrow != std::string_view::npos) {
            const std::string_view target = name.substr(arrow + 4);
            entry.isFolder = !target.empty() && target.back() == '/';
            name = name.substr(0, arrow);
        }
    }
    return named(std::move(entry), name);
}

} // namespace
} // namespace listing

std::optional<ListEntry> parseUnixLine(std::string_view line, const DateTime& now)
{
    using namespace listing;
    line = withoutLineEnd(line);
    if (!line.empty() && (isDigit(line[0]) || isBlank(line[0]))) {
        // "ls -s" puts the blocks used in front: "   8 -rw-r--r-- 1 ftp ...",
        // "ls -i" the inode number, "ls -is" both; a few servers indent the lines.
        const LineTokens blocks(line);
        std::size_t numbers = 0;
        while (numbers < 2 && numbers < blocks.size() && allDigits(blocks[numbers].text))
            ++numbers;
        if (numbers >= blocks.size() || !isPermissions(blocks[numbers].text))
            return std::nullopt;
        line = line.substr(blocks[numbers].begin);
    }
    if (line.size() < 10 || !isFileTypeLetter(line[0]))
        return std::nullopt;
    const LineTokens tokens(line);
    if (tokens.size() < 4 || !isPermissions(tokens[0].text))
        return std::nullopt;
    // The date is searched for rather than counted to, which copes with a
    // missing link count or group column; the first date with a size in
    // front of it and a name after it wins, so a name that looks like a date
    // stays a name.
    for (std::size_t i = 2; i < tokens.size(); ++i) {
        if (const auto span = parseDateAt(tokens, i, now)) {
            if (auto entry = entryAt(tokens, i, *span))
                return entry;
        }
    }
    // A date we cannot read still marks where the size ends and the name
    // begins: keep the file, undated.
    for (std::size_t i = 2; i < tokens.size(); ++i) {
        if (const auto span = parseUnknownDateAt(tokens, i)) {
            if (auto entry = entryAt(tokens, i, *span))
                return entry;
        }
    }
    return std::nullopt;
}

} // namespace ftp
