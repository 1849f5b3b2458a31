#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace vortan::text {

// Profile sections and keys, ProgIDs and the like compare without regard to case, but only
// for ASCII letters: the platform's rule, independent of any locale.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with its ASCII letters in lower case.
inline std::string AsciiLowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

} // namespace vortan::text
