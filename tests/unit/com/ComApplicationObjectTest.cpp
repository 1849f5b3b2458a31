#include "app/com/ComApplicationObject.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/DispatchArgs.h"

namespace {

using vortan::automation::ArgumentFrame;

// Stands for the proxy: records the calls' texts, answers as `body` says.
struct Calls {
    std::vector<std::string> texts;
    bool destroyed = false;
    std::function<LONG(ArgumentFrame&)> body = [](ArgumentFrame&) { return 0; };
};

class FakeTarget final : public vortan::app::IDispatchTarget {
public:
    explicit FakeTarget(Calls& calls) : m_calls(calls) {}
    ~FakeTarget() override { m_calls.destroyed = true; }
    LONG Invoke(const vortan::automation::MethodInfo& method, ArgumentFrame& frame) override {
        for (std::size_t i = 0; i < method.params.size(); ++i) {
            if (method.params[i].kind == vortan::automation::ParamKind::Bstr)
                m_calls.texts.emplace_back(frame.Text(i));
        }
        return m_calls.body(frame);
    }

private:
    Calls& m_calls;
};

// Whether `text` is still allocated. BSTRs come from COM's allocator only with oleaut32's cache
// off (OANOCACHE=1, set by the test's registration); their length comes first.
bool Allocated(BSTR text) {
    IMalloc* allocator = nullptr;
    if (FAILED(::CoGetMalloc(1, &allocator)))
        return false;
    for (const int offset : {4, 8, 16}) {
        if (allocator->DidAlloc(reinterpret_cast<char*>(text) - offset) == 1)
            return true;
    }
    return false;
}

using vortan::test::Ref;
using vortan::test::Text;
using vortan::test::Value;

struct Outcome {
    HRESULT hr;
    UINT argError; // 99: untouched
    VARIANT result;
};

class ComApplicationObjectTest : public ::testing::Test {
protected:
    // `args` in declaration order; they are cleared afterwards.
    Outcome Call(DISPID dispid, std::vector<VARIANT> args, WORD flags = DISPATCH_METHOD) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        Outcome out{E_UNEXPECTED, 99, {}};
        out.hr = object->Invoke(dispid, IID_NULL, 0, flags, &params, &out.result, nullptr,
                                &out.argError);
        for (VARIANT& arg : args)
            ::VariantClear(&arg);
        return out;
    }
    void TearDown() override {
        if (!calls.destroyed)
            object->Release();
    }

    Calls calls;
    vortan::app::ComApplicationObject* object =
        new vortan::app::ComApplicationObject(std::make_unique<FakeTarget>(calls));
};

TEST_F(ComApplicationObjectTest, PassesArgumentsInOrderAndWritesOutputsThroughBothReferences) {
    // A typed client: VT_BYREF|VT_I2; the in/out selector of Format is read, then written.
    SHORT selector = 5;
    SHORT flag = 0;
    calls.body = [](ArgumentFrame& f) {
        *f.ShortOut(4) = *f.ShortOut(0);
        *f.ShortOut(0) = 1;
        return static_cast<LONG>(0x80070057);
    };
    Outcome out = Call(
        3, {Ref(VT_I2, &selector), Text(L"ctl"), Text(L"p.ini"), Text(L"sec"), Ref(VT_I2, &flag)});
    ASSERT_EQ(out.hr, S_OK);
    EXPECT_EQ(calls.texts, (std::vector<std::string>{"ctl", "p.ini", "sec"}));
    EXPECT_EQ(flag, 5);
    EXPECT_EQ(selector, 1);
    EXPECT_EQ(out.result.vt, VT_I4);
    EXPECT_EQ(out.result.lVal, static_cast<LONG>(0x80070057));

    // A script: its variables by VT_BYREF|VT_VARIANT, sent with DISPATCH_PROPERTYGET as
    // VBScript does. The text a variable held is freed.
    VARIANT chosen = Text(L"old text");
    const BSTR old = chosen.bstrVal;
    if (!Allocated(old))
        GTEST_SKIP() << "needs OANOCACHE=1 to see BSTRs freed";
    VARIANT result = Value(VT_I4, 42);
    calls.body = [](ArgumentFrame& f) {
        *f.BstrOut(3) = ::SysAllocString(L"C:\\chosen");
        *f.ShortOut(4) = 2;
        return 0;
    };
    out = Call(
        5, {Text(L"a"), Text(L"b"), Text(L"c"), Ref(VT_VARIANT, &chosen), Ref(VT_VARIANT, &result)},
        DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_FALSE(Allocated(old));
    ASSERT_EQ(chosen.vt, VT_BSTR);
    EXPECT_STREQ(chosen.bstrVal, L"C:\\chosen");
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 2);
    ::VariantClear(&chosen);
}

TEST_F(ComApplicationObjectTest, RefusesCallsItCannotServeBeforeTheTargetRuns) {
    SHORT i2 = 0;
    const auto writeFile2 = [](VARIANT option, VARIANT result) {
        return std::vector<VARIANT>{Text(L"c"), Text(L"p"), Text(L"s"), Text(L"f"), option, result};
    };
    const struct {
        const char* what;
        DISPID dispid;
        std::function<std::vector<VARIANT>()> args;
        WORD flags;
        HRESULT hr;
        UINT argError; // counted from the last argument, as rgvarg holds them
    } cases[] = {
        {"a text as the flag", 10, [&] { return writeFile2(Text(L"yes"), Ref(VT_I2, &i2)); },
         DISPATCH_METHOD, DISP_E_TYPEMISMATCH, 1},
        {"a 32-bit reference for the flag", 10,
         [&] { return writeFile2(Value(VT_BOOL, 0), Ref(VT_I4, &i2)); }, DISPATCH_METHOD,
         DISP_E_TYPEMISMATCH, 0},
        {"an argument CloseServer does not take", 7, [] { return std::vector{Value(VT_I4, 1)}; },
         DISPATCH_METHOD, DISP_E_BADPARAMCOUNT, 99},
        {"DISPID 13", 13, [] { return std::vector<VARIANT>{}; }, DISPATCH_METHOD,
         DISP_E_MEMBERNOTFOUND, 99},
    };
    for (const auto& c : cases) {
        const Outcome out = Call(c.dispid, c.args(), c.flags);
        EXPECT_EQ(out.hr, c.hr) << c.what;
        EXPECT_EQ(out.argError, c.argError) << c.what;
    }
    EXPECT_TRUE(calls.texts.empty());
}

TEST_F(ComApplicationObjectTest, FindsNamesWithoutRegardToCase) {
    const struct {
        std::wstring name;
        DISPID dispid;
        HRESULT hr;
    } cases[] = {{L"WriteFile2", 10, S_OK},
                 {L"closeserver", 7, S_OK},
                 {L"SHOWDIRECTORYSELECTDIALOG", 5, S_OK},
                 {L"WriteFile3", DISPID_UNKNOWN, DISP_E_UNKNOWNNAME}};
    for (auto c : cases) {
        LPOLESTR names[] = {c.name.data()};
        DISPID dispid = 0;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid), c.hr);
        EXPECT_EQ(dispid, c.dispid) << c.name.size();
    }
}

TEST_F(ComApplicationObjectTest, EndsTheTargetOnTheLastReleaseButNotDuringACall) {
    // The client's release arrives inside the call (a nested loop serves it): the call still
    // writes its outputs, and the target goes once the call has returned.
    SHORT flag = 0;
    bool destroyedInCall = true;
    calls.body = [&](ArgumentFrame& f) {
        object->Release();
        destroyedInCall = calls.destroyed;
        *f.ShortOut(4) = 1;
        return 0;
    };
    object->AddRef();
    const Outcome out =
        Call(8, {Text(L"c"), Text(L"p"), Text(L"s"), Text(L"f"), Ref(VT_I2, &flag)});
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_FALSE(destroyedInCall);
    EXPECT_EQ(flag, 1);
    EXPECT_FALSE(calls.destroyed);
    object->Release();
    EXPECT_TRUE(calls.destroyed);
}

} // namespace
