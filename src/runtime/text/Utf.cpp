#include "vortan/text/Utf.h"

namespace vortan::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(OleString& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<OLECHAR>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<OLECHAR>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<OLECHAR>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

struct Decoded {
    char32_t codePoint;
    std::size_t length; // bytes consumed; an invalid sequence consumes its maximal subpart
};

// Decodes one character at `pos`, following the Unicode "maximal subpart" rule for errors.
Decoded DecodeUtf8(std::string_view s, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80)
        return {b0, 1};
    std::size_t need;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlong forms
        if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        if (b0 == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        return {kReplacement, 1};
    }
    std::size_t i = 1;
    for (; i <= need; ++i) {
        if (pos + i >= s.size())
            return {kReplacement, i};
        const auto b = static_cast<unsigned char>(s[pos + i]);
        const unsigned char min = (i == 1) ? lo : 0x80;
        const unsigned char max = (i == 1) ? hi : 0xBF;
        if (b < min || b > max)
            return {kReplacement, i};
        cp = (cp << 6) | (b & 0x3F);
    }
    return {cp, i};
}

} // namespace

OleString Utf8ToUtf16(std::string_view utf8) {
    OleString out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const Decoded d = DecodeUtf8(utf8, pos);
        AppendUtf16(out, d.codePoint);
        pos += d.length;
    }
    return out;
}

std::string Utf16ToUtf8(OleStringView utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement); // lone surrogate
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::size_t Utf8PrefixLength(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes)
        return utf8.size();
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    if ((byte(maxBytes) & 0xC0) != 0x80)
        return maxBytes;
    // The cut is followed by a continuation byte: step back to the lead byte of its character,
    // at most three bytes. Continuation bytes without a lead belong to no character and stay,
    // so that a cut text is never more than three bytes short of the limit.
    for (std::size_t back = 1; back <= 3 && back <= maxBytes; ++back) {
        const unsigned char c = byte(maxBytes - back);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? maxBytes - back : maxBytes;
    }
    return maxBytes;
}

} // namespace vortan::text
