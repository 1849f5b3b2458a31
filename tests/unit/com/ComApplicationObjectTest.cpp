#include "app/com/ComApplicationObject.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vortan/ContractIds.h"

namespace {

using vortan::app::ComApplicationObject;
using vortan::automation::ArgumentFrame;
using vortan::automation::MethodInfo;

// Records what reaches the proxy and answers as `body` says.
struct Calls {
    std::vector<DISPID> dispids;
    std::vector<std::string> texts;
    bool destroyed = false;
    std::function<LONG(ArgumentFrame&)> body = [](ArgumentFrame&) { return 0; };
};

class FakeTarget final : public vortan::app::IDispatchTarget {
public:
    explicit FakeTarget(Calls& calls) : m_calls(calls) {}
    ~FakeTarget() override { m_calls.destroyed = true; }
    LONG Invoke(const MethodInfo& method, ArgumentFrame& frame) override {
        m_calls.dispids.push_back(method.dispid);
        for (std::size_t i = 0; i < method.params.size(); ++i) {
            if (method.params[i].kind == vortan::automation::ParamKind::Bstr)
                m_calls.texts.emplace_back(frame.Text(i));
        }
        return m_calls.body(frame);
    }

private:
    Calls& m_calls;
};

VARIANT Text(const wchar_t* text) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(text);
    return v;
}
template <typename T>
VARIANT Ref(VARTYPE vt, T* target) {
    VARIANT v{};
    v.vt = VT_BYREF | vt;
    v.byref = target;
    return v;
}
VARIANT Value(VARTYPE vt, LONG value) {
    VARIANT v{};
    v.vt = vt;
    v.lVal = value; // I2 and BOOL read the low word
    return v;
}

struct Outcome {
    HRESULT hr;
    UINT argError;
    VARIANT result;
};

// Calls with `args` in declaration order; they are cleared afterwards.
Outcome Call(IDispatch& object, DISPID dispid, std::vector<VARIANT> args,
             WORD flags = DISPATCH_METHOD) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Outcome outcome{E_UNEXPECTED, 99, {}};
    outcome.hr = object.Invoke(dispid, IID_NULL, 0, flags, &params, &outcome.result, nullptr,
                               &outcome.argError);
    for (VARIANT& arg : args)
        ::VariantClear(&arg);
    return outcome;
}

class ComApplicationObjectTest : public ::testing::Test {
protected:
    Calls calls;
    ComApplicationObject* object = new ComApplicationObject(std::make_unique<FakeTarget>(calls));
    void TearDown() override {
        if (!calls.destroyed)
            object->Release();
    }
};

TEST_F(ComApplicationObjectTest, PassesArgumentsInOrderAndWritesOutputsThroughBothReferences) {
    // A typed client: VT_BYREF|VT_I2 for the result flag, the return code as VT_I4.
    SHORT flag = 0;
    calls.body = [](ArgumentFrame& f) {
        *f.ShortOut(5) = f.Bool(4) == VARIANT_TRUE ? 1 : 0;
        return static_cast<LONG>(0x80070057);
    };
    Outcome out = Call(*object, 10,
                       {Text(L"ctl"), Text(L"p.ini"), Text(L"sec"), Text(L"a.txt"),
                        Value(VT_BOOL, VARIANT_TRUE), Ref(VT_I2, &flag)});
    ASSERT_EQ(out.hr, S_OK);
    EXPECT_EQ(calls.texts, (std::vector<std::string>{"ctl", "p.ini", "sec", "a.txt"}));
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(out.result.vt, VT_I4);
    EXPECT_EQ(out.result.lVal, static_cast<LONG>(0x80070057));

    // A script: variables by VT_BYREF|VT_VARIANT, one holding an old text, sent with
    // DISPATCH_PROPERTYGET as VBScript does; the in/out selector of Format typed.
    VARIANT chosen = Text(L"old text");
    VARIANT result = Value(VT_I4, 42);
    calls.body = [](ArgumentFrame& f) {
        *f.BstrOut(3) = ::SysAllocString(L"C:\\chosen");
        *f.ShortOut(4) = 2;
        return 0;
    };
    out = Call(*object, 5,
               {Text(L"p.ini"), Text(L"sec"), Text(L"t"), Ref(VT_VARIANT, &chosen),
                Ref(VT_VARIANT, &result)},
               DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    ASSERT_EQ(out.hr, S_OK);
    ASSERT_EQ(chosen.vt, VT_BSTR);
    EXPECT_STREQ(chosen.bstrVal, L"C:\\chosen");
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 2);
    ::VariantClear(&chosen);

    SHORT selector = 5;
    SHORT seen = 0;
    BSTR typedText = ::SysAllocString(L"stale");
    calls.body = [&seen](ArgumentFrame& f) {
        seen = *f.ShortOut(0);
        *f.ShortOut(0) = 1;
        return 0;
    };
    out = Call(*object, 3,
               {Ref(VT_I2, &selector), Text(L"c"), Text(L"p"), Text(L"s"), Ref(VT_I2, &flag)});
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(selector, 1);
    // A typed BSTR reference: the text it held is replaced; by value the output is dropped.
    calls.body = [](ArgumentFrame& f) {
        *f.BstrOut(3) = ::SysAllocString(L"new");
        return 0;
    };
    out = Call(*object, 5,
               {Text(L"p"), Text(L"s"), Text(L"t"), Ref(VT_BSTR, &typedText), Value(VT_I2, 0)});
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_STREQ(typedText, L"new");
    ::SysFreeString(typedText);
    EXPECT_EQ(calls.dispids, (std::vector<DISPID>{10, 5, 3, 5}));
}

// Sees the blocks COM's allocator frees: BSTRs go there only with oleaut32's cache off
// (OANOCACHE=1, set by the test's registration).
class FreeSpy final : public IMallocSpy {
public:
    std::vector<const char*> freed;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IMallocSpy ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override { return block; }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
        freed.push_back(static_cast<const char*>(block));
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** out, BOOL) override {
        *out = block;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int did) override { return did; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

    // The block of `text` (its length prefix comes first) was freed.
    bool Freed(BSTR text) const {
        const char* start = reinterpret_cast<const char*>(text);
        for (const char* block : freed) {
            if (block <= start && start - block <= 16)
                return true;
        }
        return false;
    }
};

TEST_F(ComApplicationObjectTest, FreesTheTextAScriptVariableHeld) {
    if (std::getenv("OANOCACHE") == nullptr)
        GTEST_SKIP() << "needs OANOCACHE=1 to see BSTRs freed";
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    FreeSpy spy;
    ASSERT_EQ(::CoRegisterMallocSpy(&spy), S_OK);
    VARIANT chosen = Text(L"old text");
    const BSTR old = chosen.bstrVal;
    SHORT result = 0;
    calls.body = [](ArgumentFrame& f) {
        *f.BstrOut(3) = ::SysAllocString(L"new text");
        return 0;
    };
    const Outcome out =
        Call(*object, 5,
             {Text(L"p"), Text(L"s"), Text(L"t"), Ref(VT_VARIANT, &chosen), Ref(VT_I2, &result)});
    ::CoRevokeMallocSpy();
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_STREQ(chosen.bstrVal, L"new text");
    EXPECT_TRUE(spy.Freed(old));
    ::VariantClear(&chosen);
    ::CoUninitialize();
}

TEST_F(ComApplicationObjectTest, RefusesCallsItCannotServeBeforeTheTargetRuns) {
    SHORT flag = 0;
    double real = 0;
    LONG wide = 0;
    struct Case {
        const char* what;
        DISPID dispid;
        std::function<std::vector<VARIANT>()> args;
        WORD flags;
        HRESULT hr;
        UINT argError; // 99: untouched
    };
    const auto writeFile2 = [&](VARIANT option, VARIANT result) {
        return std::vector<VARIANT>{Text(L"c"), Text(L"p"), Text(L"s"), Text(L"f"), option, result};
    };
    const Case cases[] = {
        {"a text where a flag goes", 10,
         [&] { return writeFile2(Text(L"not a flag"), Ref(VT_I2, &flag)); }, DISPATCH_METHOD,
         DISP_E_TYPEMISMATCH, 1},
        {"an out-parameter of another type", 10,
         [&] { return writeFile2(Value(VT_BOOL, 0), Ref(VT_R8, &real)); }, DISPATCH_METHOD,
         DISP_E_TYPEMISMATCH, 0},
        {"a 16-bit reference where 32 bits go", 6,
         [&] {
             return std::vector<VARIANT>{Ref(VT_I2, &flag), Ref(VT_I2, &flag), Ref(VT_I2, &flag),
                                         Ref(VT_I4, &wide)};
         },
         DISPATCH_METHOD, DISP_E_TYPEMISMATCH, 3},
        {"a number too large for 16 bits", 3,
         [&] {
             return std::vector<VARIANT>{Value(VT_I4, 70000), Text(L"c"), Text(L"p"), Text(L"s"),
                                         Ref(VT_I2, &flag)};
         },
         DISPATCH_METHOD, DISP_E_OVERFLOW, 4},
        {"one argument short", 1,
         [&] {
             return std::vector<VARIANT>{Text(L"c"), Text(L"p"), Text(L"s"), Text(L"d"),
                                         Text(L"f")};
         },
         DISPATCH_METHOD, DISP_E_BADPARAMCOUNT, 99},
        {"an argument too many", 7, [&] { return std::vector<VARIANT>{Value(VT_I4, 1)}; },
         DISPATCH_METHOD, DISP_E_BADPARAMCOUNT, 99},
        {"DISPID 13", 13, [] { return std::vector<VARIANT>{}; }, DISPATCH_METHOD,
         DISP_E_MEMBERNOTFOUND, 99},
        {"DISPID 0", 0, [] { return std::vector<VARIANT>{}; }, DISPATCH_METHOD,
         DISP_E_MEMBERNOTFOUND, 99},
        {"a property put", 7, [] { return std::vector<VARIANT>{}; }, DISPATCH_PROPERTYPUT,
         DISP_E_MEMBERNOTFOUND, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome out = Call(*object, c.dispid, c.args(), c.flags);
        EXPECT_EQ(out.hr, c.hr);
        EXPECT_EQ(out.argError, c.argError);
    }
    EXPECT_TRUE(calls.dispids.empty());
}

TEST_F(ComApplicationObjectTest, FindsNamesWithoutRegardToCase) {
    const struct {
        const wchar_t* name;
        DISPID dispid;
        HRESULT hr;
    } cases[] = {{L"WriteFile2", 10, S_OK},
                 {L"closeserver", 7, S_OK},
                 {L"SHOWDIRECTORYSELECTDIALOG", 5, S_OK},
                 {L"WriteFile3", DISPID_UNKNOWN, DISP_E_UNKNOWNNAME}};
    for (const auto& c : cases) {
        std::wstring name = c.name;
        LPOLESTR names[] = {name.data()};
        DISPID dispid = 0;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid), c.hr);
        EXPECT_EQ(dispid, c.dispid) << "for " << name.size() << " characters";
    }
    IDispatch* asInterface = nullptr;
    EXPECT_EQ(object->QueryInterface(vortan::DIID_IVortanApplication,
                                     reinterpret_cast<void**>(&asInterface)),
              S_OK);
    EXPECT_EQ(asInterface, static_cast<IDispatch*>(object));
    asInterface->Release();
}

TEST_F(ComApplicationObjectTest, EndsTheTargetOnTheLastReleaseButNotDuringACall) {
    // The client's release arrives inside the call (a nested loop): the call still writes
    // its outputs, and the target goes once it has returned.
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
        Call(*object, 8, {Text(L"c"), Text(L"p"), Text(L"s"), Text(L"f"), Ref(VT_I2, &flag)});
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_FALSE(destroyedInCall);
    EXPECT_EQ(flag, 1);
    EXPECT_FALSE(calls.destroyed);
    object->Release();
    EXPECT_TRUE(calls.destroyed);
}

TEST_F(ComApplicationObjectTest, ReportsAFailingCallAsAnException) {
    calls.body = [](ArgumentFrame&) -> LONG { throw std::runtime_error("no main dialog"); };
    DISPPARAMS none{};
    EXCEPINFO exception{};
    UINT argError = 0;
    EXPECT_EQ(
        object->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &exception, &argError),
        DISP_E_EXCEPTION);
    EXPECT_STREQ(exception.bstrDescription, L"no main dialog");
    EXPECT_EQ(exception.scode, E_FAIL);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
}

} // namespace
