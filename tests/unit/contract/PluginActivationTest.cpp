#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/com/Activation.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/PluginCache.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ComponentContract.h"
#include "vortan/com/ComPtr.h"

using vortan::com::ClassRegistry;
using vortan::com::ComPtr;

namespace {

bool IsMapped(const std::string& fileName) {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find(fileName) != std::string::npos;
}

} // namespace

// Loading a working plug-in named in the registry is shown by the simulated board's tests.
TEST(PluginActivation, BrokenPluginsFailCleanly) {
    const vortan::test::TempDir dir;
    const std::filesystem::path registry = std::filesystem::path(dir.Path()) / "classes.ini";
    const vortan::test::ScopedEnv env("VORTAN_CLASSES", registry.string());
    const auto notALibrary = std::filesystem::path(dir.Path()) / "garbage.so";
    std::ofstream(notALibrary) << "not a shared object\n";
    constexpr CLSID kOther{0x0BADC0DE, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

    struct Case {
        const char* name;
        std::filesystem::path plugin;
        CLSID clsid;
        HRESULT expected;
    };
    const Case cases[] = {
        {"missing file", std::filesystem::path(dir.Path()) / "missing.so",
         vortan::CLSID_FlashHandling, CO_E_DLLNOTFOUND},
        {"not a library", notALibrary, vortan::CLSID_FlashHandling, CO_E_ERRORINDLL},
        {"no entry point", VORTAN_TEST_NO_ENTRY_PLUGIN, vortan::CLSID_FlashHandling,
         HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)},
        {"class unknown to the plug-in", VORTAN_SIMBOARD_PLUGIN, kOther, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ClassRegistry(registry).RegisterClassPath(c.clsid, c.plugin), S_OK);
        ComPtr<IUnknown> object;
        EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_ALL, IID_IUnknown, object.OutVoid()),
                  c.expected)
            << c.name;
        EXPECT_EQ(object.Get(), nullptr) << c.name;
    }
    EXPECT_FALSE(vortan::com::PluginCache::Instance().LastLoadError().empty());
    // The library without an entry point was loaded and closed again.
    EXPECT_FALSE(IsMapped(std::filesystem::path(VORTAN_TEST_NO_ENTRY_PLUGIN).filename()));
}
