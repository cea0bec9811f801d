#include "ftp/listing/listing_reader.h"

#include "ftp/listing/listing_parser.h"

#include <cstring>

namespace ftp {

ListingReader::ListingReader(ListingFormat format, const DateTime& now, std::size_t maxLines)
    : format_(format), listParser_(now), maxLines_(maxLines)
{
}

void ListingReader::parseLine(std::string_view line)
{
    auto entry = format_ == ListingFormat::Mlsd ? parseMlsdLine(line) : listParser_.parse(line);
    if (entry)
        entries_.push_back(std::move(*entry));
}

bool ListingReader::add(std::string_view chunk)
{
    std::size_t pos = 0;
    while (pos < chunk.size()) {
        const void* found = std::memchr(chunk.data() + pos, '\n', chunk.size() - pos);
        if (!found) {
            partial_.append(chunk.substr(pos));
            break;
        }
        const auto end = std::size_t(static_cast<const char*>(found) - chunk.data());
        if (++lines_ > maxLines_)
            return false;
        if (partial_.empty()) {
            parseLine(chunk.substr(pos, end - pos));
        } else {
            partial_.append(chunk.substr(pos, end - pos));
            parseLine(partial_);
            partial_.clear();
        }
        pos = end + 1;
    }
    return true;
}

std::vector<ListEntry> ListingReader::finish()
{
    if (!partial_.empty())
        parseLine(partial_);
    partial_ = std::string();
    return std::move(entries_);
}

} // namespace ftp
