#include "vortan/com/Guid.h"

#include <gtest/gtest.h>

using vortan::com::FormatGuid;
using vortan::com::ParseGuid;

TEST(Guid, ParsesBothFormsInAnyCaseAndFormatsUpperCaseWithBraces) {
    const char* forms[] = {
        "{5CE68222-DDD2-11D2-977D-00104B49CBE6}",
        "5ce68222-ddd2-11d2-977d-00104b49cbe6",
        "{5cE68222-dDD2-11d2-977D-00104b49CBe6}",
    };
    for (const char* text : forms) {
        const auto guid = ParseGuid(text);
        ASSERT_TRUE(guid.has_value()) << text;
        EXPECT_EQ(guid->Data1, 0x5CE68222u);
        EXPECT_EQ(guid->Data2, 0xDDD2u);
        EXPECT_EQ(guid->Data3, 0x11D2u);
        EXPECT_EQ(guid->Data4[0], 0x97u);
        EXPECT_EQ(guid->Data4[7], 0xE6u);
        EXPECT_EQ(FormatGuid(*guid), "{5CE68222-DDD2-11D2-977D-00104B49CBE6}");
    }
}

TEST(Guid, RejectsMalformedTexts) {
    const char* bad[] = {
        "{5CE68222-DDD2-11D2-977D-00104B49CBE6",   // no closing brace
        "5CE68222-DDD2-11D2-977D-00104B49CBE6}",   // no opening brace
        "{5CE68222-DDD2-11D2-977D-00104B49CBE}",   // one digit short
        "{5CE68222DDD2-11D2-977D-00104B49CBE6-}",  // dash misplaced
        "{5CE6822G-DDD2-11D2-977D-00104B49CBE6}",  // not hex
        "{+CE68222-DDD2-11D2-977D-00104B49CBE6}",  // sign
        " {5CE68222-DDD2-11D2-977D-00104B49CBE6}", // leading blank
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseGuid(text).has_value()) << '"' << text << '"';
}
