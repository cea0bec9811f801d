#include "ftp/listing/cjk_dates.h"

#include <array>
#include <string_view>

namespace ftp::listing {

namespace {

enum class Sign { None, Year, Month, Day };

struct SignBytes {
    std::string_view bytes;
    Sign sign;
};

// 年 月 日 and 년 월 일 in UTF-8, Shift-JIS, EUC-JP, GBK, Big5, EUC-KR and EUC-TW.
constexpr std::array<SignBytes, 24> signs = {{
    {"\xe5\xb9\xb4", Sign::Year}, {"\xe6\x9c\x88", Sign::Month}, {"\xe6\x97\xa5", Sign::Day},
    {"\xeb\x85\x84", Sign::Year}, {"\xec\x9b\x94", Sign::Month}, {"\xec\x9d\xbc", Sign::Day},
    {"\x94\x4e", Sign::Year}, {"\x8c\x8e", Sign::Month}, {"\x93\xfa", Sign::Day},
    {"\xc7\xaf", Sign::Year}, {"\xb7\xee", Sign::Month}, {"\xc6\xfc", Sign::Day},
    {"\xc4\xea", Sign::Year}, {"\xd4\xc2", Sign::Month}, {"\xc8\xd5", Sign::Day},
    {"\xa6\x7e", Sign::Year}, {"\xa4\xeb", Sign::Month}, {"\xa4\xe9", Sign::Day},
    {"\xb3\xe2", Sign::Year}, {"\xbf\xf9", Sign::Month}, {"\xc0\xcf", Sign::Day},
    {"\xc8\xa1", Sign::Year}, {"\xc5\xcc", Sign::Month}, {"\xc5\xca", Sign::Day},
}};

// A word made only of numbers each followed by its sign: "2023年12月7日",
// "12月", "7일". False for anything else, with `parts` then undefined.
bool readSignedNumbers(std::string_view word, CjkSigned& parts)
{
    std::size_t pos = 0;
    if (word.empty())
        return false;
    while (pos < word.size()) {
        const std::size_t start = pos;
        while (pos < word.size() && isDigit(word[pos]))
            ++pos;
        if (pos == start || pos - start > 4)
            return false;
        const int value = *parseSmall(word.substr(start, pos - start), 1, 4);
        Sign sign = Sign::None;
        for (const auto& candidate : signs) {
            if (word.substr(pos, candidate.bytes.size()) == candidate.bytes) {
                sign = candidate.sign;
                pos += candidate.bytes.size();
                break;
            }
        }
        int* slot = sign == Sign::Year ? &parts.year : sign == Sign::Month ? &parts.month
                  : sign == Sign::Day  ? &parts.day  : nullptr;
        if (!slot || *slot != 0)
            return false;
        *slot = value;
    }
    return true;
}

} // namespace

std::optional<CjkSigned> parseCjkSignedAt(const LineTokens& tokens, std::size_t i)
{
    CjkSigned parts;
    std::size_t j = i;
    while (j < tokens.size()) {
        CjkSigned more = parts;
        if (!readSignedNumbers(tokens.text(j), more))
            break;
        parts = more;
        ++j;
    }
    if (j == i || parts.month == 0)
        return std::nullopt;
    parts.next = j;
    return parts;
}

} // namespace ftp::listing
