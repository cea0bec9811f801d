#include "ftp/listing/dos_listing.h"

#include "ftp/listing/entry_names.h"
#include "ftp/listing/line_tokens.h"
#include "ftp/listing/listing_dates.h"

namespace ftp {

namespace listing {
namespace {

// "1,234,567" as IIS prints it, "1.234.567" as a German Windows does, or
// plain digits.
std::optional<std::uint64_t> parseGroupedSize(std::string_view text)
{
    if (const auto plain = parseUnsigned(text))
        return plain;
    return parseThousands(text, {",", "."});
}

} // namespace
} // namespace listing

std::optional<ListEntry> parseDosLine(std::string_view line)
{
    using namespace listing;
    line = withoutLineEnd(line);
    if (line.empty() || !isDigit(line[0]))
        return std::nullopt;
    const LineTokens tokens(line);
    if (tokens.size() < 4)
        return std::nullopt;
    const auto date = parseNumericDate(tokens[0].text);
    if (!date)
        return std::nullopt;
    const auto time = parseClockAt(tokens, 1);
    if (!time)
        return std::nullopt;
    ListEntry entry;
    entry.modified = DateTime{date->year, date->month, date->day, time->clock.hour, time->clock.minute, time->clock.second};
    const std::size_t kind = 1 + time->words;
    if (kind >= tokens.size())
        return std::nullopt;
    const std::string_view kindText = tokens[kind].text;
    std::size_t nameStart = tokens[kind].end + 1;
    const bool folder = equalsIgnoringCase(kindText, "<DIR>") || equalsIgnoringCase(kindText, "<JUNCTION>")
        || equalsIgnoringCase(kindText, "<SYMLINKD>");
    // A link to a file: Windows tells neither its size nor its target's.
    const bool fileLink = equalsIgnoringCase(kindText, "<SYMLINK>");
    if (folder || fileLink) {
        entry.isFolder = folder;
        entry.isLink = !equalsIgnoringCase(kindText, "<DIR>");
        // IIS and "dir" pad "<DIR>" and its kin to the column where names
        // start, fifteen after the bracket opens. A name's own leading blanks
        // come after those.
        const std::size_t padding = 15 - kindText.size();
        std::size_t blanks = 0;
        while (tokens[kind].end + blanks < line.size() && isBlank(line[tokens[kind].end + blanks]))
            ++blanks;
        nameStart = tokens[kind].end + (blanks >= padding ? padding : blanks);
    } else {
        const auto size = parseGroupedSize(kindText);
        if (!size)
            return std::nullopt;
        entry.size = *size;
    }
    if (nameStart > line.size() || !isBlank(line[nameStart - 1]))
        return std::nullopt;
    std::string_view name = line.substr(nameStart);
    if (entry.isLink && name.size() > 2 && name.back() == ']') {
        // "<JUNCTION>     Documents [C:\Users\me\Documents]": the target is not part of the name.
        if (const auto open = name.rfind(" ["); open != std::string_view::npos)
            name = name.substr(0, open);
    }
    return named(std::move(entry), name);
}

std::optional<ListEntry> parseDosLine(std::string_view line, const DateTime&) { return parseDosLine(line); }

} // namespace ftp
