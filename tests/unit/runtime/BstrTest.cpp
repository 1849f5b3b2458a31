#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "vortan/com/SysString.h"
#include "vortan/com/UniqueBstr.h"

using vortan::com::UniqueBstr;

namespace {

std::uint32_t PrefixOf(BSTR s) {
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const unsigned char*>(s) - 4, 4);
    return prefix;
}

} // namespace

TEST(SysString, StoresByteLengthBeforeAndZeroAfterTheCharacters) {
    BSTR s = SysAllocString(OLESTR("Flash"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(PrefixOf(s), 10u);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(s[5], OLECHAR(0));
    EXPECT_EQ(vortan::text::OleStringView(s, 5), OLESTR("Flash"));
    SysFreeString(s);

    BSTR empty = SysAllocString(OLESTR(""));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(PrefixOf(empty), 0u);
    EXPECT_EQ(empty[0], OLECHAR(0));
    SysFreeString(empty);
}

TEST(SysString, LengthComesFromThePrefixSoEmbeddedNulsSurvive) {
    const OLECHAR chars[] = {OLECHAR('a'), OLECHAR(0), OLECHAR('b'), OLECHAR(0), OLECHAR('c')};
    BSTR s = SysAllocStringLen(chars, 5);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(vortan::text::OleStringView(s, 5), vortan::text::OleStringView(chars, 5));
    EXPECT_EQ(s[5], OLECHAR(0));

    // SysAllocString stops at the first NUL, as a zero-terminated copy must.
    BSTR cut = SysAllocString(s);
    EXPECT_EQ(SysStringLen(cut), 1u);
    SysFreeString(cut);

    const UniqueBstr copy = UniqueBstr::Copy(s);
    EXPECT_EQ(copy.View(), vortan::text::OleStringView(chars, 5));
    EXPECT_EQ(copy.ToUtf8(), std::string("a\0b\0c", 5));
    SysFreeString(s);
}

TEST(SysString, NullAndUninitialisedBuffers) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);

    BSTR zeroed = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(SysStringLen(zeroed), 3u);
    EXPECT_EQ(vortan::text::OleStringView(zeroed, 4),
              vortan::text::OleStringView(OLESTR("\0\0\0\0"), 4));
    SysFreeString(zeroed);

    // A length whose byte count does not fit the 32-bit prefix is refused, not wrapped.
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
}
