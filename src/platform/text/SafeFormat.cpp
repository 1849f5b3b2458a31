#include "platform/text/SafeFormat.h"

#include "vortan/text/Utf.h"

namespace vortan::text {

std::string FormatOne(std::string_view format, char conversion, std::string_view value,
                      std::size_t maxBytes) {
    std::string out;
    out.reserve(format.size() + value.size());
    bool substituted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            const char next = format[i + 1];
            if (next == '%') {
                out.push_back('%');
                ++i;
                continue;
            }
            if (next == conversion && !substituted) {
                out.append(value);
                substituted = true;
                ++i;
                continue;
            }
        }
        out.push_back(c);
        if (out.size() > maxBytes + 4)
            break; // the rest would be cut anyway
    }
    out.resize(Utf8PrefixLength(out, maxBytes));
    return out;
}

} // namespace vortan::text
