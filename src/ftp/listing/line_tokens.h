#pragma once
// The pieces every listing dialect splits a line into: blank-separated words
// that remember where they stand, so a name can be cut out of the line with
// its own blanks intact, and the small number readers the columns need.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "ftp/text/ascii.h"

namespace ftp::listing {

using ftp::isDigit;
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool allDigits(std::string_view text);

// The line without the CR/LF that ended it; every other byte stays.
std::string_view withoutLineEnd(std::string_view line);

// All digits, fitting the result; nothing else.
std::optional<std::uint64_t> parseUnsigned(std::string_view text);
// Digits grouped in thousands by one of `separators`, used throughout:
// "1,234,567". At least one separator; the first group holds 1 to 3 digits.
std::optional<std::uint64_t> parseThousands(std::string_view word, std::initializer_list<std::string_view> separators);
// minDigits..maxDigits digits.
std::optional<int> parseSmall(std::string_view text, std::size_t minDigits, std::size_t maxDigits);

struct Token {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string_view text;
};

// The first words of a line. The columns before a name never number more
// than a dozen or so; words past the capacity belong to the name and are
// found again by position, so none are stored (and none allocated).
class LineTokens {
public:
    static constexpr std::size_t capacity = 24;

    explicit LineTokens(std::string_view line);

    std::size_t size() const { return count_; }
    const Token& operator[](std::size_t i) const { return tokens_[i]; }
    std::string_view text(std::size_t i) const { return i < count_ ? tokens_[i].text : std::string_view(); }
    std::string_view line() const { return line_; }

private:
    std::string_view line_;
    std::array<Token, capacity> tokens_;
    std::size_t count_ = 0;
};

} // namespace ftp::listing
