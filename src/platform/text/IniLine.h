#pragma once

#include <string_view>

namespace vortan::text {

// Drops blanks (space, tab, carriage return) at both ends.
std::string_view TrimBlanks(std::string_view text);

// One line of an INI file as every reader of them sees it: "[name]" (text after the ']' is
// ignored), "key=value" (the key up to the first '='), or neither (blank lines, comments, a
// '[' without ']', text without '='). Names, keys and values come trimmed; what a value's
// quotes mean is the reader's business.
struct IniLine {
    enum class Kind { Other, Section, Entry };
    Kind kind = Kind::Other;
    std::string_view name; // the section's name or the entry's key
    std::string_view value;

    // `comments` are the characters that start a comment line (after leading blanks).
    static IniLine Parse(std::string_view line, std::string_view comments);
};

} // namespace vortan::text
