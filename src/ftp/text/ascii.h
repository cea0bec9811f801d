#pragma once
// Character tests for protocol text, which is ASCII whatever the locale says.

#include <string_view>

namespace ftp {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Equal when only the case of ASCII letters differs ("sha-256" and "SHA-256").
inline bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace ftp
