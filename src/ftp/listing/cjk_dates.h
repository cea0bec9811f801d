#pragma once
// The year/month/day signs of Chinese, Japanese and Korean dates: 年 月 日 and
// 년 월 일 after their numbers, in UTF-8 or any legacy encoding a server may
// still print them in (Shift-JIS, EUC-JP, GBK, Big5, EUC-KR, EUC-TW).

#include "ftp/listing/line_tokens.h"

#include <cstddef>
#include <optional>

namespace ftp::listing {

// The signed words from word `i` on: "2023年12月7日", "2023年 12月 7日",
// "12月 7日", "12月" (the day then follows unsigned: "12月  7"), "12월 7일".
struct CjkSigned {
    int year = 0;   // 0: not given
    int month = 0;  // always given
    int day = 0;    // 0: not given
    std::size_t next = 0;  // the first word without a sign
};

// Nothing unless word `i` is signed and the month is among the signed words.
// The numbers are as printed, not yet checked as a date.
std::optional<CjkSigned> parseCjkSignedAt(const LineTokens& tokens, std::size_t i);

} // namespace ftp::listing
