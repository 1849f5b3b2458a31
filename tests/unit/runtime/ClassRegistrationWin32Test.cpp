#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "vortan/com/ClassRegistration.h"

namespace {

using vortan::com::ClassRegistration;
using vortan::com::RegistryScope;
using vortan::com::ServerKind;

constexpr CLSID kClass{
    0x7E1A0C55, 0x41D2, 0x4B7A, {0x9C, 0x11, 0x25, 0x6B, 0x3F, 0x90, 0x0D, 0xA1}};
constexpr const char* kClassKey =
    "Software\\Classes\\CLSID\\{7E1A0C55-41D2-4B7A-9C11-256B3F900DA1}";
constexpr const char* kProgId = "Vortan.RegistrationTest.1";
constexpr const char* kProgIdKey = "Software\\Classes\\Vortan.RegistrationTest.1";

// The value, or "<none>" when it is not there.
std::string Read(HKEY root, const std::string& key, const char* value = nullptr) {
    char buffer[512] = {};
    DWORD size = sizeof(buffer);
    if (::RegGetValueA(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return "<none>";
    return buffer;
}

void WriteKey(HKEY root, const std::string& key, const char* text) {
    ASSERT_EQ(::RegSetKeyValueA(root, key.c_str(), nullptr, REG_SZ, text,
                                static_cast<DWORD>(std::strlen(text) + 1)),
              ERROR_SUCCESS);
}

TEST(ClassRegistrationWin32, WritesReadsBackAndRemovesEachServerKind) {
    struct Case {
        ServerKind kind;
        std::string server, threading, serverKey, otherKey, expectedThreading;
    };
    const Case cases[] = {
        {ServerKind::InProcess, "C:\\plug-ins\\board sim.dll", "Apartment", "InprocServer32",
         "LocalServer32", "Apartment"},
        // A threading model means nothing to a local server and is not written.
        {ServerKind::LocalServer, "\"C:\\Program Files\\VORTAN\\vortan.exe\" /Automation",
         "Apartment", "LocalServer32", "InprocServer32", "<none>"},
    };
    // Each registration replaces the one before: the other kind's key must go.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serverKey);
        const ClassRegistration registration{kClass,   "Registration test", c.kind,
                                             c.server, c.threading,         kProgId};
        RegistryScope scope = RegistryScope::User;
        ASSERT_EQ(vortan::com::WriteClassRegistration(registration, scope), S_OK);
        // Wine lets every process write the machine's classes.
        EXPECT_EQ(scope, RegistryScope::Machine);
        const HKEY root = HKEY_LOCAL_MACHINE;
        EXPECT_EQ(Read(root, kClassKey), "Registration test");
        EXPECT_EQ(Read(root, std::string(kClassKey) + "\\" + c.serverKey), c.server);
        EXPECT_EQ(Read(root, std::string(kClassKey) + "\\" + c.serverKey, "ThreadingModel"),
                  c.expectedThreading);
        EXPECT_EQ(Read(root, std::string(kClassKey) + "\\" + c.otherKey), "<none>");
        EXPECT_EQ(Read(root, std::string(kClassKey) + "\\ProgID"), kProgId);
        EXPECT_EQ(Read(root, kProgIdKey), "Registration test");
        EXPECT_EQ(Read(root, std::string(kProgIdKey) + "\\CLSID"),
                  "{7E1A0C55-41D2-4B7A-9C11-256B3F900DA1}");
    }
    EXPECT_STREQ(vortan::com::RegistryScopeName(RegistryScope::Machine),
                 "HKEY_LOCAL_MACHINE\\Software\\Classes");

    ASSERT_EQ(vortan::com::RemoveClassRegistration(kClass, kProgId), S_OK);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kClassKey), "<none>");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kProgIdKey), "<none>");
    // Nothing left to remove is no failure.
    EXPECT_EQ(vortan::com::RemoveClassRegistration(kClass, kProgId), S_OK);
}

TEST(ClassRegistrationWin32, KeepsWhatIsNotThisClasssAndDropsStaleUserCopies) {
    // A user's copy would hide the machine-wide registration; a ProgID another class took
    // over is that class's.
    WriteKey(HKEY_CURRENT_USER, kClassKey, "stale");
    const ClassRegistration registration{
        kClass, "Registration test", ServerKind::InProcess, "x.dll", "", kProgId};
    RegistryScope scope = RegistryScope::User;
    ASSERT_EQ(vortan::com::WriteClassRegistration(registration, scope), S_OK);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, kClassKey), "<none>");

    WriteKey(HKEY_LOCAL_MACHINE, std::string(kProgIdKey) + "\\CLSID",
             "{00000000-1111-2222-3333-444444444444}");
    WriteKey(HKEY_CURRENT_USER, kClassKey, "user copy");
    ASSERT_EQ(vortan::com::RemoveClassRegistration(kClass, kProgId), S_OK);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kClassKey), "<none>");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, kClassKey), "<none>");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kProgIdKey) + "\\CLSID"),
              "{00000000-1111-2222-3333-444444444444}");
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProgIdKey);

    // A ProgID that is no single key name is refused before anything is touched.
    EXPECT_EQ(vortan::com::RemoveClassRegistration(kClass, "..\\CLSID"), E_INVALIDARG);
}

} // namespace
