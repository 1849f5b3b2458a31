#include "vortan/text/Utf.h"

#include <gtest/gtest.h>

using vortan::text::Utf16ToUtf8;
using vortan::text::Utf8PrefixLength;
using vortan::text::Utf8ToUtf16;

TEST(Utf, RoundTripsEveryEncodingLength) {
    // ASCII, two-byte (ü), three-byte (€) and four-byte (U+1F600) characters.
    const std::string text = "Alle \xC3\x9C"
                             "berschreiben \xE2\x82\xAC \xF0\x9F\x98\x80";
    const vortan::text::OleString wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, OLESTR("Alle Überschreiben € \U0001F600"));
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf8ToUtf16(""), OLESTR(""));
}

TEST(Utf, InvalidUtf8BecomesReplacementCharacters) {
    struct Case {
        std::string in;
        vortan::text::OleString out;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         OLESTR("a\uFFFDb")},                           // byte that never starts a character
        {"\xC3", OLESTR("\uFFFD")},                     // truncated at the end
        {"\xC0\xAF", OLESTR("\uFFFD\uFFFD")},           // overlong slash
        {"\xED\xA0\x80", OLESTR("\uFFFD\uFFFD\uFFFD")}, // encoded surrogate
        {"\xF4\x90\x80\x80", OLESTR("\uFFFD\uFFFD\uFFFD\uFFFD")}, // above U+10FFFF
        {"\xE2\x82x", OLESTR("\uFFFDx")},                         // maximal subpart replaced once
        {std::string("a\0b", 3), vortan::text::OleString(OLESTR("a\0b"), 3)}, // NUL is a character
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << "input of " << c.in.size() << " bytes";
}

TEST(Utf, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf16ToUtf8(vortan::text::OleString(1, OLECHAR(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(vortan::text::OleString{OLECHAR('x'), OLECHAR(0xDC00), OLECHAR('y')}),
              "x\xEF\xBF\xBDy");
    // A high surrogate followed by a non-surrogate keeps the second unit.
    EXPECT_EQ(Utf16ToUtf8(vortan::text::OleString{OLECHAR(0xD83D), OLECHAR('A')}), "\xEF\xBF\xBD"
                                                                                   "A");
}

TEST(Utf, PrefixNeverSplitsACharacter) {
    const std::string text = "ab\xE2\x82\xAC"; // "ab€", 5 bytes
    const std::pair<std::size_t, std::size_t> cases[] = {{10, 5}, {5, 5}, {4, 2}, {2, 2}, {0, 0}};
    for (const auto& [limit, length] : cases)
        EXPECT_EQ(Utf8PrefixLength(text, limit), length) << limit;
}
