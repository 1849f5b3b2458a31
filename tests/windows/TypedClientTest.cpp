// A compiled client of the running server: it binds by DISPID and hands its out-parameters as
// references of their own type (VT_BYREF|VT_I2), as clients built against the type library do.
// The harness (system-test.sh) registers the server and makes the board VORTAN_TEST_BOARD.

#include <cstdlib>
#include <filesystem>
#include <ole2.h>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "support/DispatchArgs.h"

namespace {

constexpr CLSID kApplicationClass = {
    0x0100003B, 0x2409, 0x43F1, {0x8B, 0xAC, 0x7D, 0x06, 0x43, 0xB6, 0x15, 0x9E}};

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::filesystem::path(value).wstring() : std::wstring();
}

class ComScope {
public:
    ComScope() { ::CoInitialize(nullptr); }
    ~ComScope() { ::CoUninitialize(); }
};

// The arguments in declaration order; BSTRs are freed afterwards.
HRESULT Call(IDispatch* object, DISPID dispid, std::vector<VARIANT> args) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO exception{};
    UINT argError = 0;
    const HRESULT hr = object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                      &params, nullptr, &exception, &argError);
    for (VARIANT& v : args)
        ::VariantClear(&v);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    return hr;
}

using vortan::test::Ref;
using vortan::test::Value;

VARIANT Text(const std::wstring& text) {
    return vortan::test::Text(text.c_str());
}

IDispatch* CreateServer() {
    IDispatch* object = nullptr;
    const HRESULT hr = ::CoCreateInstance(kApplicationClass, nullptr, CLSCTX_LOCAL_SERVER,
                                          IID_IDispatch, reinterpret_cast<void**>(&object));
    EXPECT_EQ(hr, S_OK);
    return SUCCEEDED(hr) ? object : nullptr;
}

TEST(TypedClient, WritesAsksAndClosesByDispid) {
    const ComScope com;
    const std::wstring board = Env("VORTAN_TEST_BOARD");
    const std::filesystem::path source = Env("VORTAN_TEST_DIR");
    const std::filesystem::path flash =
        std::filesystem::path(Env("VORTAN_BOARDS")) / board / "flash";
    ASSERT_FALSE(board.empty());

    CLSID byName{};
    ASSERT_EQ(::CLSIDFromProgID(L"ZEPH.VORTAN.Application.7", &byName), S_OK);
    EXPECT_TRUE(::IsEqualCLSID(byName, kApplicationClass));

    IDispatch* writer = CreateServer();
    ASSERT_NE(writer, nullptr);
    // Names bind without regard to case, to the numbers of the dispatch map.
    const wchar_t* names[] = {L"writefile2", L"GetLastErrorCode", L"CLOSESERVER", L"Nonsense"};
    const DISPID expected[] = {10, 6, 7};
    for (int i = 0; i < 4; ++i) {
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        DISPID dispid = 0;
        const HRESULT hr = writer->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &dispid);
        EXPECT_EQ(hr, i < 3 ? S_OK : DISP_E_UNKNOWNNAME) << i;
        if (i < 3) {
            EXPECT_EQ(dispid, expected[i]) << i;
        }
    }
    // An unknown DISPID is refused before anything happens.
    EXPECT_EQ(Call(writer, 13, {}), DISP_E_MEMBERNOTFOUND);

    SHORT result = -7;
    ASSERT_EQ(Call(writer, 10,
                   {Text(board), Text(L""), Text(L""), Text((source / "typed.ini").wstring()),
                    Value(VT_BOOL, VARIANT_FALSE), Ref(VT_I2, &result)}),
              S_OK);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(std::filesystem::exists(flash / "typed.ini"));
    writer->Release();

    // A fresh server knows no error; every typed reference is written.
    IDispatch* asker = CreateServer();
    ASSERT_NE(asker, nullptr);
    LONG code = -1;
    SHORT values[3] = {-1, -1, -1};
    ASSERT_EQ(Call(asker, 6,
                   {Ref(VT_I4, &code), Ref(VT_I2, &values[0]), Ref(VT_I2, &values[1]),
                    Ref(VT_I2, &values[2])}),
              S_OK);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(values[0] | values[1] | values[2], 0);

    // CloseServer ends the process: the next call finds nobody there.
    EXPECT_EQ(Call(asker, 7, {}), S_OK);
    ::Sleep(500);
    EXPECT_TRUE(FAILED(Call(asker, 6,
                            {Ref(VT_I4, &code), Ref(VT_I2, &values[0]), Ref(VT_I2, &values[1]),
                             Ref(VT_I2, &values[2])})));
    asker->Release();
}

} // namespace
