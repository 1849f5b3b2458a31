#include "vortan/text/Utf.h"

#include <gtest/gtest.h>

using vortan::text::Utf16ToUtf8;
using vortan::text::Utf8PrefixLength;
using vortan::text::Utf8ToUtf16;

TEST(Utf, RoundTripsEveryEncodingLength) {
    // ASCII, two-byte (ü), three-byte (€) and four-byte (U+1F600) characters.
    const std::string text = "Alle \xC3\x9C"
                             "berschreiben \xE2\x82\xAC \xF0\x9F\x98\x80";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"Alle Überschreiben € \U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Utf, InvalidUtf8BecomesReplacementCharacters) {
    struct Case {
        std::string in;
        std::u16string out;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},                                        // byte that never starts a character
        {"\xC3", u"\uFFFD"},                                  // truncated at the end
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                        // overlong slash
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},              // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},    // above U+10FFFF
        {"\xE2\x82x", u"\uFFFDx"},                            // maximal subpart replaced once
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)}, // NUL is a character
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << "input of " << c.in.size() << " bytes";
}

TEST(Utf, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'x', u'\xDC00', u'y'}), "x\xEF\xBF\xBDy");
    // A high surrogate followed by a non-surrogate keeps the second unit.
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xD83D', u'A'}), "\xEF\xBF\xBD"
                                                            "A");
}

TEST(Utf, PrefixNeverSplitsACharacter) {
    const std::string text = "ab\xE2\x82\xAC"; // "ab€", 5 bytes
    const std::pair<std::size_t, std::size_t> cases[] = {{10, 5}, {5, 5}, {4, 2}, {2, 2}, {0, 0}};
    for (const auto& [limit, length] : cases)
        EXPECT_EQ(Utf8PrefixLength(text, limit), length) << limit;
}
