#include "platform/com/Activation.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/PluginCache.h"
#include "platform/com/UniqueBstr.h"
#include "vortan/ComponentContract.h"

#include "support/CountedObject.h"
#include "support/FakeClassFactory.h"
#include "support/RecordingSink.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using vortan::com::ClassRegistry;
using vortan::com::ComPtr;
using vortan::com::UniqueBstr;
using vortan::test::RecordingSink;
using vortan::test::TempDir;

namespace {

class PluginActivation : public ::testing::Test {
protected:
    std::filesystem::path RegistryPath() const {
        return std::filesystem::path(m_dir.Path()) / "classes.ini";
    }

    // Creates the component the way the program does: IUnknown, OleRun, QueryInterface.
    HRESULT Create(REFCLSID clsid, ComPtr<vortan::IFlashHandling>& flash) {
        ComPtr<IUnknown> unknown;
        HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.OutVoid());
        if (SUCCEEDED(hr))
            hr = OleRun(unknown.Get());
        if (SUCCEEDED(hr))
            hr = unknown.QueryInterface(vortan::IID_IFlashHandling, flash);
        return hr;
    }

    TempDir m_dir;
    vortan::test::ScopedEnv m_env{"VORTAN_CLASSES", RegistryPath().string()};
};

bool IsMapped(const std::string& fileName) {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find(fileName) != std::string::npos;
}

} // namespace

TEST_F(PluginActivation, LoadsThePluginNamedInTheRegistryAndDeliversEventsToAllInstances) {
    // A path relative to the registry file's directory.
    std::filesystem::create_symlink(VORTAN_TEST_FLASH_PLUGIN,
                                    std::filesystem::path(m_dir.Path()) / "flash.so");
    ASSERT_EQ(
        ClassRegistry(RegistryPath()).RegisterClassPath(vortan::CLSID_FlashHandling, "flash.so"),
        S_OK);

    RecordingSink sink(vortan::DIID_IFlashHandlingEvents);
    {
        ComPtr<vortan::IFlashHandling> observer;
        ComPtr<vortan::IFlashHandling> worker;
        ASSERT_EQ(Create(vortan::CLSID_FlashHandling, observer), S_OK);
        ASSERT_EQ(Create(vortan::CLSID_FlashHandling, worker), S_OK);
        EXPECT_NE(observer.Get(), worker.Get());

        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(observer.QueryInterface(IID_IConnectionPointContainer, container), S_OK);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(vortan::DIID_IFlashHandlingEvents,
                                                 point.ReleaseAndGetAddressOf()),
                  S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        EXPECT_EQ(cookie, 1u);

        const UniqueBstr local = UniqueBstr::FromUtf8("/tmp/A.CFG");
        const UniqueBstr name = UniqueBstr::FromUtf8("A.CFG");
        VARIANT_BOOL outcome = VARIANT_FALSE;
        EXPECT_EQ(worker->WriteToMemory(nullptr, local.Get(), name.Get(), VARIANT_TRUE, &outcome),
                  S_OK);
        EXPECT_EQ(outcome, VARIANT_TRUE);
        EXPECT_EQ(worker->FormatMemory(nullptr, 1, VARIANT_FALSE, &outcome), S_OK);
        EXPECT_EQ(outcome, VARIANT_FALSE);
        EXPECT_EQ(worker->Reserved9(), E_NOTIMPL); // a filler slot answers by default

        ASSERT_EQ(sink.calls.size(), 3u);
        EXPECT_EQ(sink.calls[0].dispid, vortan::DISPID_FLASH_WRITE_BEGIN);
        EXPECT_EQ(sink.calls[1].dispid, vortan::DISPID_FLASH_WRITE_PROGRESS);
        ASSERT_EQ(sink.calls[1].args.size(), 2u);
        EXPECT_EQ(sink.calls[1].args[0].Get().lVal, VARIANT_TRUE); // value: the option
        EXPECT_EQ(sink.calls[1].args[1].Get().lVal, 10);           // bytes: length of the path
        EXPECT_EQ(sink.calls[2].dispid, vortan::DISPID_FLASH_WRITE_END);

        EXPECT_EQ(point->Unadvise(cookie), S_OK);
    }
    EXPECT_EQ(sink.RefCount(), 0u);
}

TEST_F(PluginActivation, InProcessRegistrationWinsOverTheFile) {
    ASSERT_EQ(ClassRegistry(RegistryPath())
                  .RegisterClassPath(vortan::CLSID_FlashHandling, VORTAN_TEST_FLASH_PLUGIN),
              S_OK);
    vortan::test::CountedObject fake;
    vortan::test::FakeClassFactory factory(&fake);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(vortan::CLSID_FlashHandling, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    ComPtr<IUnknown> object;
    ASSERT_EQ(CoCreateInstance(vortan::CLSID_FlashHandling, nullptr, CLSCTX_ALL, IID_IUnknown,
                               object.OutVoid()),
              S_OK);
    EXPECT_EQ(object.Get(), &fake);
    object.Reset();
    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);

    ComPtr<vortan::IFlashHandling> real;
    EXPECT_EQ(Create(vortan::CLSID_FlashHandling, real), S_OK);
    EXPECT_NE(real.Get(), nullptr);
}

TEST_F(PluginActivation, BrokenPluginsFailCleanly) {
    const auto notALibrary = std::filesystem::path(m_dir.Path()) / "garbage.so";
    std::ofstream(notALibrary) << "not a shared object\n";
    constexpr CLSID kOther{0x0BADC0DE, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

    struct Case {
        const char* name;
        std::filesystem::path plugin;
        CLSID clsid;
        HRESULT expected;
    };
    const Case cases[] = {
        {"missing file", std::filesystem::path(m_dir.Path()) / "missing.so",
         vortan::CLSID_FlashHandling, CO_E_DLLNOTFOUND},
        {"not a library", notALibrary, vortan::CLSID_FlashHandling, CO_E_ERRORINDLL},
        {"no entry point", VORTAN_TEST_NO_ENTRY_PLUGIN, vortan::CLSID_FlashHandling,
         HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)},
        {"class unknown to the plug-in", VORTAN_TEST_FLASH_PLUGIN, kOther,
         CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ClassRegistry(RegistryPath()).RegisterClassPath(c.clsid, c.plugin), S_OK);
        ComPtr<vortan::IFlashHandling> flash;
        EXPECT_EQ(Create(c.clsid, flash), c.expected) << c.name;
        EXPECT_EQ(flash.Get(), nullptr) << c.name;
    }
    EXPECT_FALSE(vortan::com::PluginCache::Instance().LastLoadError().empty());
    // The library without an entry point was loaded and closed again.
    EXPECT_FALSE(IsMapped(std::filesystem::path(VORTAN_TEST_NO_ENTRY_PLUGIN).filename()));
}
