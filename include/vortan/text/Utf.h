#pragma once

#include <string>
#include <string_view>

#include "vortan/WinTypes.h"

// Program strings are UTF-8; BSTRs are UTF-16. Invalid input never fails a conversion:
// each maximal invalid sequence becomes U+FFFD, so bad bytes stay visible instead of vanishing.
namespace vortan::text {

// UTF-16 text in the platform's character type, as BSTRs hold it.
using OleString = std::basic_string<OLECHAR>;
using OleStringView = std::basic_string_view<OLECHAR>;

OleString Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(OleStringView utf16);

// Length in bytes of the longest prefix of `utf8` that is at most `maxBytes` long and does
// not end inside a multi-byte character (so at least maxBytes - 3 when the text is longer);
// used where a text is cut to a fixed buffer.
std::size_t Utf8PrefixLength(std::string_view utf8, std::size_t maxBytes);

} // namespace vortan::text
