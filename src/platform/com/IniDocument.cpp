#include "platform/com/IniDocument.h"

#include <optional>

#include "platform/text/Ascii.h"
#include "platform/text/IniLine.h"

namespace vortan::com {
using vortan::text::EqualsNoCase;

namespace {

using vortan::text::IniLine;
using vortan::text::TrimBlanks;

// Comments start with ';' or '#'.
constexpr std::string_view kComments = ";#";

std::optional<std::string_view> SectionName(std::string_view line) {
    const IniLine parsed = IniLine::Parse(line, kComments);
    return parsed.kind == IniLine::Kind::Section ? std::optional(parsed.name) : std::nullopt;
}

std::optional<IniDocument::Entry> ParseEntry(std::string_view line) {
    const IniLine parsed = IniLine::Parse(line, kComments);
    if (parsed.kind != IniLine::Kind::Entry)
        return std::nullopt;
    std::string_view value = parsed.value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return IniDocument::Entry{std::string(parsed.name), std::string(value)};
}

} // namespace

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        doc.m_lines.emplace_back(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    }
    return doc;
}

std::vector<IniDocument::Entry> IniDocument::Entries(std::string_view section) const {
    std::vector<Entry> entries;
    bool inSection = false;
    for (const std::string& line : m_lines) {
        if (auto name = SectionName(line)) {
            inSection = EqualsNoCase(*name, section);
            continue;
        }
        if (inSection) {
            if (auto entry = ParseEntry(line))
                entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

std::size_t IniDocument::RemoveIf(std::string_view section,
                                  const std::function<bool(std::string_view)>& match) {
    std::size_t removed = 0;
    bool inSection = false;
    std::vector<std::string> kept;
    kept.reserve(m_lines.size());
    for (std::string& line : m_lines) {
        if (auto name = SectionName(line)) {
            inSection = EqualsNoCase(*name, section);
        } else if (inSection) {
            auto entry = ParseEntry(line);
            if (entry && match(entry->key)) {
                ++removed;
                continue;
            }
        }
        kept.push_back(std::move(line));
    }
    m_lines = std::move(kept);
    return removed;
}

void IniDocument::Append(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + '=' + std::string(value);
    // Insert after the last entry of the first matching section, before any trailing blanks.
    std::optional<std::size_t> insertAt;
    bool inSection = false;
    bool seen = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (auto name = SectionName(m_lines[i])) {
            if (seen && inSection)
                break;
            inSection = EqualsNoCase(*name, section);
            if (inSection) {
                seen = true;
                insertAt = i + 1;
            }
        } else if (inSection && !TrimBlanks(m_lines[i]).empty()) {
            insertAt = i + 1;
        }
    }
    if (insertAt) {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(*insertAt), std::move(line));
        return;
    }
    if (!m_lines.empty() && !TrimBlanks(m_lines.back()).empty())
        m_lines.emplace_back();
    m_lines.push_back('[' + std::string(section) + ']');
    m_lines.push_back(std::move(line));
}

std::string IniDocument::Text() const {
    std::string text;
    for (const std::string& line : m_lines) {
        text += line;
        text += '\n';
    }
    return text;
}

} // namespace vortan::com
