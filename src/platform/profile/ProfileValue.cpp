#include "platform/profile/ProfileValue.h"

#include <algorithm>
#include <cstring>

#include "vortan/text/Utf.h"

namespace vortan::profile {

std::string_view ProfileValue::Unquote(std::string_view kept, std::size_t trimmedLength,
                                       char last) {
    const char first = kept.empty() ? '\0' : kept.front();
    if (trimmedLength >= 2 && (first == '"' || first == '\'') && last == first)
        return kept.substr(1, std::min(kept.size() - 1, trimmedLength - 2));
    return kept;
}

DWORD ProfileValue::CopyCut(std::string_view text, LPSTR buffer, DWORD size) {
    const std::size_t length = text::Utf8PrefixLength(text, size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

} // namespace vortan::profile
