#pragma once
// Month names as servers print them in their own language: abbreviated or
// full, any letter case, with or without a trailing dot, in UTF-8 or in
// Latin-1 bytes ("M\xe4r" and "M\xc3\xa4r" are both March), Greek with or
// without accents, Russian also in KOI8-R or Windows-1251 bytes.

#include <optional>
#include <string_view>

namespace ftp::listing {

// 1..12, or nothing when the word names no month we know.
std::optional<int> monthNumber(std::string_view word);

} // namespace ftp::listing
