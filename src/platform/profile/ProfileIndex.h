#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/WinDef.h"

namespace vortan::profile {

// A profile file's values in memory: for every section and key (ASCII case folded) the first
// value the file gives, without its surrounding blanks. Lookups then follow the same rules as
// a scan of the file.
class ProfileIndex final {
public:
    // Indexes the whole content of a file; a leading UTF-8 byte order mark is skipped.
    explicit ProfileIndex(std::string_view bytes);

    // The value as it would be copied into a buffer of `size` bytes, before the cut to the
    // buffer; empty when the file has no such key.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key,
                                         DWORD size) const;

private:
    using Section = std::unordered_map<std::string, std::string>;
    std::unordered_map<std::string, Section> m_sections;
};

} // namespace vortan::profile
