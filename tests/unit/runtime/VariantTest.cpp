#include "vortan/com/Variant.h"

#include <string>

#include <gtest/gtest.h>

#include "support/CountedObject.h"
#include "vortan/com/SysString.h"
#include "vortan/com/UniqueBstr.h"
#include "vortan/com/UniqueVariant.h"

using vortan::com::UniqueBstr;
using vortan::com::UniqueVariant;

namespace {

UniqueVariant Text(const char* utf8) {
    return UniqueVariant::FromUtf8(utf8);
}

} // namespace

TEST(Variant, ChangeTypeToI4) {
    SHORT i2 = -7;
    LONG i4 = 123456;
    UniqueBstr byrefText = UniqueBstr::FromUtf8("17");
    BSTR byrefBstr = byrefText.Get();
    UniqueVariant inner = UniqueVariant::FromI2(9);

    struct Case {
        const char* name;
        VARIANT in;
        HRESULT hr;
        LONG out;
    };
    auto byref = [](VARTYPE vt, void* p) {
        VARIANT v;
        v.vt = static_cast<VARTYPE>(vt | VT_BYREF);
        v.byref = p;
        return v;
    };
    const UniqueVariant t4x = Text("4x"), tNeg = Text("-2147483648"), tBig = Text("2147483648"),
                        tHuge = Text("99999999999999999999999"), tEmpty = Text(""),
                        tPlus = Text("+5"), tTrue = Text("True"), tSpace = Text("4 2");
    const Case cases[] = {
        {"empty", VARIANT{}, S_OK, 0},
        {"I2", UniqueVariant::FromI2(-300).Release(), S_OK, -300},
        {"BOOL true", UniqueVariant::FromBool(true).Release(), S_OK, -1},
        {"BSTR plus", tPlus.Get(), S_OK, 5},
        {"BSTR min", tNeg.Get(), S_OK, -2147483647 - 1},
        {"BSTR True", tTrue.Get(), S_OK, -1},
        {"BSTR 4x", t4x.Get(), DISP_E_TYPEMISMATCH, 0},
        {"BSTR inner blank", tSpace.Get(), DISP_E_TYPEMISMATCH, 0},
        {"BSTR empty", tEmpty.Get(), DISP_E_TYPEMISMATCH, 0},
        {"BSTR too big", tBig.Get(), DISP_E_OVERFLOW, 0},
        {"BSTR beyond 64 bits", tHuge.Get(), DISP_E_OVERFLOW, 0},
        {"BYREF I2", byref(VT_I2, &i2), S_OK, -7},
        {"BYREF I4", byref(VT_I4, &i4), S_OK, 123456},
        {"BYREF BSTR", byref(VT_BSTR, &byrefBstr), S_OK, 17},
        {"BYREF VARIANT", byref(VT_VARIANT, &inner.Get()), S_OK, 9},
        {"BYREF null", byref(VT_I4, nullptr), E_INVALIDARG, 0},
    };
    for (const Case& c : cases) {
        VARIANT out;
        out.vt = VT_I2;
        out.iVal = 55;
        const HRESULT hr = VariantChangeType(&out, &c.in, 0, VT_I4);
        EXPECT_EQ(hr, c.hr) << c.name;
        if (SUCCEEDED(c.hr)) {
            EXPECT_EQ(out.vt, VT_I4) << c.name;
            EXPECT_EQ(out.lVal, c.out) << c.name;
        } else {
            EXPECT_EQ(out.vt, VT_I2) << c.name << ": target untouched on failure";
            EXPECT_EQ(out.iVal, 55) << c.name;
        }
    }
}

// Numbers to short, bool and text, blanks around a number and a number out of a short's range
// are shown by the automation argument tests.
TEST(Variant, ChangeTypeToI2BoolAndBstr) {
    struct Case {
        const char* name;
        UniqueVariant in;
        VARTYPE to;
        HRESULT hr;
        std::string text; // result rendered: number, or the BSTR's text
    };
    Case cases[] = {
        {"BSTR to I2 overflow", Text("40000"), VT_I2, DISP_E_OVERFLOW, ""},
        {"empty to I2", UniqueVariant(), VT_I2, S_OK, "0"},
        {"BSTR false to BOOL", Text(" false "), VT_BOOL, S_OK, "0"},
        {"BSTR junk to BOOL", Text("yes"), VT_BOOL, DISP_E_TYPEMISMATCH, ""},
        {"BOOL to BSTR", UniqueVariant::FromBool(true), VT_BSTR, S_OK, "-1"},
        {"empty to BSTR", UniqueVariant(), VT_BSTR, S_OK, ""},
        {"I4 to DISPATCH", UniqueVariant::FromI4(1), VT_DISPATCH, DISP_E_TYPEMISMATCH, ""},
    };
    for (Case& c : cases) {
        UniqueVariant out;
        const HRESULT hr = VariantChangeType(&out.Get(), &c.in.Get(), 0, c.to);
        EXPECT_EQ(hr, c.hr) << c.name;
        if (FAILED(hr)) {
            EXPECT_EQ(out.Type(), VT_EMPTY) << c.name;
            continue;
        }
        ASSERT_EQ(out.Type(), c.to) << c.name;
        std::string text;
        if (c.to == VT_I2)
            text = std::to_string(out.Get().iVal);
        else if (c.to == VT_BOOL)
            text = std::to_string(out.Get().boolVal);
        else
            text = UniqueBstr::Copy(out.Get().bstrVal).ToUtf8();
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST(Variant, ChangeTypeInPlaceReplacesTheText) {
    VARIANT v = Text(" 12 ").Release();
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK); // the BSTR is freed (ASan checks)
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 12);

    VARIANT kept = Text("x").Release();
    EXPECT_EQ(VariantChangeType(&kept, &kept, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(kept.vt, VT_BSTR);
    VariantClear(&kept);
}

TEST(Variant, CopyAndClearOwnTheirContent) {
    vortan::test::CountedObject object;
    VARIANT unk;
    unk.vt = VT_UNKNOWN;
    unk.punkVal = &object;
    object.AddRef(); // the reference `unk` holds

    {
        UniqueVariant copy;
        ASSERT_EQ(copy.CopyFrom(unk), S_OK);
        EXPECT_EQ(object.RefCount(), 2u);
        UniqueVariant moved = std::move(copy);
        EXPECT_EQ(copy.Type(), VT_EMPTY);
        EXPECT_EQ(object.RefCount(), 2u);
    }
    EXPECT_EQ(object.RefCount(), 1u);
    EXPECT_EQ(VariantClear(&unk), S_OK);
    EXPECT_EQ(object.RefCount(), 0u);
    EXPECT_EQ(unk.vt, VT_EMPTY);

    // BSTRs are duplicated, so both copies can be cleared.
    UniqueVariant text = Text("abc");
    UniqueVariant dup;
    ASSERT_EQ(dup.CopyFrom(text.Get()), S_OK);
    EXPECT_NE(dup.Get().bstrVal, text.Get().bstrVal);
    EXPECT_EQ(UniqueBstr::Copy(dup.Get().bstrVal).ToUtf8(), "abc");

    // A BYREF value is not owned: clearing it leaves the target alone.
    LONG target = 5;
    VARIANT ref;
    ref.vt = VT_I4 | VT_BYREF;
    ref.plVal = &target;
    EXPECT_EQ(VariantClear(&ref), S_OK);
    EXPECT_EQ(target, 5);

    VARIANT bad;
    bad.vt = 0x77;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&dup.Get(), &bad), DISP_E_BADVARTYPE);
}
