#include "platform/profile/ProfileIndex.h"

#include <algorithm>

#include "platform/profile/ProfileValue.h"
#include "platform/text/Ascii.h"
#include "platform/text/IniLine.h"

namespace vortan::profile {

ProfileIndex::ProfileIndex(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    // Lines before the first section header belong to no section and are never found.
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const char first = bytes[pos];
        if (ProfileValue::IsLineEnd(first) || ProfileValue::IsBlank(first)) {
            ++pos;
            continue;
        }
        const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        // Comments start with ';' only. A '[' without ']' is no header: its line is ignored,
        // the section goes on.
        const text::IniLine line = text::IniLine::Parse(bytes.substr(pos, end - pos), ";");
        pos = end;
        if (line.kind == text::IniLine::Kind::Section)
            current = &m_sections[text::AsciiLowered(line.name)];
        else if (line.kind == text::IniLine::Kind::Entry && current != nullptr)
            current->try_emplace(text::AsciiLowered(line.name), line.value);
    }
}

std::optional<std::string_view> ProfileIndex::Find(std::string_view section, std::string_view key,
                                                   DWORD size) const {
    const auto inSection = m_sections.find(text::AsciiLowered(section));
    if (inSection == m_sections.end())
        return std::nullopt;
    const auto found = inSection->second.find(text::AsciiLowered(key));
    if (found == inSection->second.end())
        return std::nullopt;
    // The scan keeps an opening quote and one byte past the cut; so does this.
    const std::string_view value = found->second;
    const std::string_view kept = value.substr(0, std::min(value.size(), std::size_t{size} + 2));
    return ProfileValue::Unquote(kept, value.size(), value.empty() ? '\0' : value.back());
}

} // namespace vortan::profile
