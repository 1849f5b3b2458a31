#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "vortan/com/ClassRegistration.h"

namespace {

using vortan::com::RegistryScope;
using vortan::com::ServerKind;

constexpr CLSID kClass{
    0x7E1A0C55, 0x41D2, 0x4B7A, {0x9C, 0x11, 0x25, 0x6B, 0x3F, 0x90, 0x0D, 0xA1}};
const std::string kClassKey = "Software\\Classes\\CLSID\\{7E1A0C55-41D2-4B7A-9C11-256B3F900DA1}";
const std::string kProgIdKey = "Software\\Classes\\Vortan.RegistrationTest.1";

// The value, or "-" when it is not there.
std::string Read(HKEY root, const std::string& key, const char* value = nullptr) {
    char buffer[512] = {};
    DWORD size = sizeof(buffer);
    return ::RegGetValueA(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buffer, &size) ==
                   ERROR_SUCCESS
               ? buffer
               : "-";
}

TEST(ClassRegistrationWin32, WritesReplacesAndRemovesTheEntriesOfAClass) {
    // A user's copy of the class would hide the machine-wide entries: it goes.
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, kClassKey.c_str(), nullptr, REG_SZ, "stale", 6),
              ERROR_SUCCESS);
    const struct {
        ServerKind kind;
        std::string server, serverKey, otherKey, threading;
    } cases[] = {
        {ServerKind::InProcess, "C:\\plug-ins\\sim board.dll", "\\InprocServer32",
         "\\LocalServer32", "Apartment"},
        // Replaces the one before; a local server has no threading model.
        {ServerKind::LocalServer, "\"C:\\Program Files\\VORTAN\\vortan.exe\" /Automation",
         "\\LocalServer32", "\\InprocServer32", "-"},
    };
    for (const auto& c : cases) {
        RegistryScope scope = RegistryScope::User;
        ASSERT_EQ(vortan::com::WriteClassRegistration({kClass, "Test class", c.kind, c.server,
                                                       "Apartment", "Vortan.RegistrationTest.1"},
                                                      scope),
                  S_OK);
        EXPECT_EQ(scope, RegistryScope::Machine); // Wine lets every process write there
        const HKEY root = HKEY_LOCAL_MACHINE;
        EXPECT_EQ(Read(root, kClassKey), "Test class");
        EXPECT_EQ(Read(root, kClassKey + c.serverKey), c.server);
        EXPECT_EQ(Read(root, kClassKey + c.serverKey, "ThreadingModel"), c.threading);
        EXPECT_EQ(Read(root, kClassKey + c.otherKey), "-");
        EXPECT_EQ(Read(root, kClassKey + "\\ProgID"), "Vortan.RegistrationTest.1");
        EXPECT_EQ(Read(root, kProgIdKey + "\\CLSID"), "{7E1A0C55-41D2-4B7A-9C11-256B3F900DA1}");
        EXPECT_EQ(Read(HKEY_CURRENT_USER, kClassKey), "-");
    }

    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, kClassKey.c_str(), nullptr, REG_SZ, "user", 5),
              ERROR_SUCCESS);
    ASSERT_EQ(vortan::com::RemoveClassRegistration(kClass, "Vortan.RegistrationTest.1"), S_OK);
    for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_EQ(Read(root, kClassKey), "-");
        EXPECT_EQ(Read(root, kProgIdKey), "-");
    }

    // The dispatch interface goes by oleaut32's marshaler.
    const std::string interfaceKey =
        "Software\\Classes\\Interface\\{7E1A0C55-41D2-4B7A-9C11-256B3F900DA1}";
    RegistryScope scope = RegistryScope::User;
    ASSERT_EQ(vortan::com::WriteDispatchInterfaceRegistration(kClass, "ITest", scope), S_OK);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, interfaceKey + "\\ProxyStubClsid32"),
              "{00020420-0000-0000-C000-000000000046}");
    ASSERT_EQ(vortan::com::RemoveDispatchInterfaceRegistration(kClass), S_OK);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, interfaceKey), "-");
}

} // namespace
