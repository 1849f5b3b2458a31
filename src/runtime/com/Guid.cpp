#include "vortan/com/Guid.h"

#include <cstring>

#ifndef _WIN32 // the platform's guiddef.h has it
bool operator==(const GUID& a, const GUID& b) noexcept {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
#endif

namespace vortan::com {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`; false if any is not a hex digit.
bool ReadHex(std::string_view text, std::size_t pos, std::size_t digits, std::uint32_t& value) {
    value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int v = HexValue(text[pos + i]);
        if (v < 0)
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(v);
    }
    return true;
}

} // namespace

std::optional<GUID> ParseGuid(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}')
            return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-')
        return std::nullopt;

    GUID guid{};
    std::uint32_t v = 0;
    if (!ReadHex(text, 0, 8, v))
        return std::nullopt;
    guid.Data1 = v;
    if (!ReadHex(text, 9, 4, v))
        return std::nullopt;
    guid.Data2 = static_cast<WORD>(v);
    if (!ReadHex(text, 14, 4, v))
        return std::nullopt;
    guid.Data3 = static_cast<WORD>(v);
    static constexpr std::size_t kBytePos[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!ReadHex(text, kBytePos[i], 2, v))
            return std::nullopt;
        guid.Data4[i] = static_cast<BYTE>(v);
    }
    return guid;
}

std::string FormatGuid(const GUID& guid) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(38);
    auto put = [&out](std::uint32_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            out.push_back(kDigits[(value >> shift) & 0xF]);
    };
    out.push_back('{');
    put(guid.Data1, 8);
    out.push_back('-');
    put(guid.Data2, 4);
    out.push_back('-');
    put(guid.Data3, 4);
    out.push_back('-');
    put(guid.Data4[0], 2);
    put(guid.Data4[1], 2);
    out.push_back('-');
    for (int i = 2; i < 8; ++i)
        put(guid.Data4[i], 2);
    out.push_back('}');
    return out;
}

} // namespace vortan::com
