#pragma once

#include <string_view>

#include "platform/WinDef.h"

namespace vortan::profile {

// The rules a found value goes through before the caller sees it, shared by the scanner and
// the index so that both give the same bytes.
class ProfileValue final {
public:
    static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
    static bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

    // `kept` is the start of the value (leading blanks dropped) of which the whole value without
    // trailing blanks is `trimmedLength` bytes long and ends in `last`. Drops one pair of
    // matching quotes around it; the closing one only if it was kept.
    static std::string_view Unquote(std::string_view kept, std::size_t trimmedLength, char last);

    // Copies `text` into the caller's buffer, cut to size - 1 bytes on a character boundary and
    // zero-terminated; returns the bytes copied. `size` is at least 1.
    static DWORD CopyCut(std::string_view text, LPSTR buffer, DWORD size);
};

} // namespace vortan::profile
