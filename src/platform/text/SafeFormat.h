#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortan::text {

// Display texts come from files that clients name, so they are never handed to printf.
// FormatOne substitutes `value` for the first "%<conversion>" of `format` (conversion is 'd' or
// 's'), turns "%%" into "%", and leaves every other '%' sequence as plain text. The result is cut
// to `maxBytes` on a character boundary.
std::string FormatOne(std::string_view format, char conversion, std::string_view value,
                      std::size_t maxBytes);

// The cut of looked-up and formatted texts: a 260-byte buffer with its terminating zero.
inline constexpr std::size_t kMaxTextBytes = 259;

} // namespace vortan::text
