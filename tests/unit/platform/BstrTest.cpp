#include "platform/com/SysString.h"
#include "platform/com/UniqueBstr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using vortan::com::UniqueBstr;

namespace {

std::uint32_t PrefixOf(BSTR s) {
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const unsigned char*>(s) - 4, 4);
    return prefix;
}

} // namespace

TEST(SysString, StoresByteLengthBeforeAndZeroAfterTheCharacters) {
    BSTR s = SysAllocString(u"Flash");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(PrefixOf(s), 10u);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(s[5], u'\0');
    EXPECT_EQ(std::u16string_view(s, 5), u"Flash");
    SysFreeString(s);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(PrefixOf(empty), 0u);
    EXPECT_EQ(empty[0], u'\0');
    SysFreeString(empty);
}

TEST(SysString, LengthComesFromThePrefixSoEmbeddedNulsSurvive) {
    const char16_t chars[] = {u'a', u'\0', u'b', u'\0', u'c'};
    BSTR s = SysAllocStringLen(chars, 5);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 5u);
    EXPECT_EQ(std::u16string_view(s, 5), std::u16string_view(chars, 5));
    EXPECT_EQ(s[5], u'\0');

    // SysAllocString stops at the first NUL, as a zero-terminated copy must.
    BSTR cut = SysAllocString(s);
    EXPECT_EQ(SysStringLen(cut), 1u);
    SysFreeString(cut);

    const UniqueBstr copy = UniqueBstr::Copy(s);
    EXPECT_EQ(copy.View(), std::u16string_view(chars, 5));
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
    EXPECT_EQ(std::u16string_view(zeroed, 4), std::u16string_view(u"\0\0\0\0", 4));
    SysFreeString(zeroed);

    // A length whose byte count does not fit the 32-bit prefix is refused, not wrapped.
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
}

TEST(UniqueBstr, ConvertsUtf8BothWays) {
    const UniqueBstr s = UniqueBstr::FromUtf8("K\xC3\xBC"
                                              "hler \xE2\x82\xAC");
    EXPECT_EQ(s.View(), u"Kühler €");
    EXPECT_EQ(s.Length(), 8u);
    EXPECT_EQ(s.ToUtf8(), "K\xC3\xBC"
                          "hler \xE2\x82\xAC");
    EXPECT_EQ(UniqueBstr().ToUtf8(), "");
    EXPECT_NE(UniqueBstr::FromUtf8("").Get(), nullptr); // empty is not null
}

TEST(UniqueBstr, MovesOwnershipAndFillsOutParameters) {
    UniqueBstr a = UniqueBstr::FromUtf8("one");
    BSTR raw = a.Get();
    UniqueBstr b = std::move(a);
    EXPECT_EQ(a.Get(), nullptr);
    EXPECT_EQ(b.Get(), raw);

    UniqueBstr c = UniqueBstr::FromUtf8("two");
    c = std::move(b); // "two" is freed (ASan catches a leak)
    EXPECT_EQ(c.Get(), raw);

    // A callee's out-parameter: the old string is freed first (ASan catches a leak or a
    // double free here).
    BSTR* slot = c.OutParam();
    EXPECT_EQ(*slot, nullptr);
    *slot = SysAllocString(u"three");
    EXPECT_EQ(c.ToUtf8(), "three");

    BSTR released = c.Release();
    EXPECT_EQ(c.Get(), nullptr);
    SysFreeString(released);
}
