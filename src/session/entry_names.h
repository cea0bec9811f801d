#pragma once
// The one rule, for every protocol, on which names a folder listing may show
// as entries: a window shows, renames, deletes and walks into each entry by
// joining its name to the folder's path, so a name that would lead anywhere
// else is no entry at all.

#include <string_view>

namespace session {

// Empty, "." and ".." name no entry of the folder, and a name holding "/"
// ("a/b", "../x", "/elsewhere") or NUL cannot be used in a path built from
// it. A name of blanks only is the padding of an FTP line that ends after its
// date, and no server's real entry either.
inline bool isUsableName(std::string_view name)
{
    if (name == "." || name == "..")
        return false;
    bool printable = false;
    for (char c : name) {
        if (c == '/' || c == '\0')
            return false;
        printable = printable || (c != ' ' && c != '\t');
    }
    return printable;
}

} // namespace session
