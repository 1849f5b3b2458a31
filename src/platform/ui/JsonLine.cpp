#include "platform/ui/JsonLine.h"

#include "vortan/text/Utf.h"

namespace vortan::ui {

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    // The round trip through UTF-16 is what turns stray bytes into U+FFFD.
    const std::string clean = text::Utf16ToUtf8(text::Utf8ToUtf16(text));
    out += '"';
    for (const char c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            } else {
                out += c;
            }
            break;
        }
    }
    out += '"';
}

void JsonLine::Key(std::string_view key) {
    if (m_json.size() > 1)
        m_json += ',';
    AppendJsonString(m_json, key);
    m_json += ':';
}

JsonLine& JsonLine::Add(std::string_view key, std::string_view text) {
    Key(key);
    AppendJsonString(m_json, text);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, long long number) {
    Key(key);
    m_json += std::to_string(number);
    return *this;
}

JsonLine& JsonLine::AddNull(std::string_view key) {
    Key(key);
    m_json += "null";
    return *this;
}

JsonLine& JsonLine::AddRaw(std::string_view key, std::string_view json) {
    Key(key);
    m_json += json;
    return *this;
}

} // namespace vortan::ui
