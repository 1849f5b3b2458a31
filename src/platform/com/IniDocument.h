#pragma once

// The text of a small INI file, kept line by line so that a rewrite changes only the entries
// it touches and keeps comments, order and everything else. Sections and keys compare without
// regard to ASCII case; blanks around keys and values and quotes around values are dropped.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vortan::com {

class IniDocument final {
public:
    struct Entry {
        std::string key;
        std::string value;
    };

    static IniDocument Parse(std::string_view text);

    // Entries of every section with that name, in file order.
    std::vector<Entry> Entries(std::string_view section) const;
    // Removes the entries of `section` for which `match(key)` holds; returns how many.
    std::size_t RemoveIf(std::string_view section,
                         const std::function<bool(std::string_view key)>& match);
    // Adds `key=value` at the end of the first section of that name, creating it if needed.
    void Append(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

private:
    std::vector<std::string> m_lines;
};

} // namespace vortan::com
