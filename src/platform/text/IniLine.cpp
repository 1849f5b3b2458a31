#include "platform/text/IniLine.h"

namespace vortan::text {

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

IniLine IniLine::Parse(std::string_view line, std::string_view comments) {
    line = TrimBlanks(line);
    if (line.empty() || comments.find(line.front()) != std::string_view::npos)
        return {};
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos)
            return {};
        return {Kind::Section, TrimBlanks(line.substr(1, close - 1)), {}};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {Kind::Entry, TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

} // namespace vortan::text
