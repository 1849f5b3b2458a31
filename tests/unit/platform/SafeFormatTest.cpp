#include "platform/text/SafeFormat.h"

#include <gtest/gtest.h>

using vortan::text::FormatOne;

TEST(SafeFormat, SubstitutesOnlyTheNamedPlaceholderOnce) {
    struct Case {
        const char* format;
        char conversion;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"Schreibe %s", 's', "a.ini", "Schreibe a.ini"},
        {"%d %% fertig", 'd', "42", "42 % fertig"},
        {"%n%s%s%x", 's', "N", "%nN%s%x"},     // hostile conversions stay text
        {"%d%s", 's', "N", "%dN"},             // the other placeholder kind stays text
        {"%5d von %d", 'd', "7", "%5d von 7"}, // flags and widths are not interpreted
        {"100%", 'd', "1", "100%"},            // a trailing percent sign stays
        {"ohne Platzhalter", 's', "x", "ohne Platzhalter"},
        {"%%s", 's', "x", "%s"}, // an escaped percent does not start a placeholder
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatOne(c.format, c.conversion, c.value, 259), c.expected) << c.format;
}

TEST(SafeFormat, CutsAtTheLimitOnACharacterBoundary) {
    const std::string longName(300, 'x');
    EXPECT_EQ(FormatOne("%s", 's', longName, 259), std::string(259, 'x'));
    // "ä" is two bytes: a cut that would split it drops the whole character.
    EXPECT_EQ(FormatOne("ab%s", 's', "\xC3\xA4", 3), "ab");
    EXPECT_EQ(FormatOne("ab%s", 's', "\xC3\xA4", 4), "ab\xC3\xA4");
}
