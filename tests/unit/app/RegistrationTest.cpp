#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/CommandLineInfo.h"
#include "app/PluginRegistration.h"
#include "app/dbus/ServerRegistration.h"
#include "platform/com/Activation.h"
#include "platform/com/ClassRegistry.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"
#include "vortan/com/ComPtr.h"

using vortan::app::CommandLineInfo;

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CommandLineInfo Parse(std::vector<const char*> args) {
    return CommandLineInfo::Parse(args);
}

struct Outcome {
    int exitCode;
    std::string out, err;
};

Outcome RunPlugin(bool add, const std::filesystem::path& plugin) {
    std::ostringstream out, err;
    const int exitCode = add ? vortan::app::RegisterPlugin(plugin, out, err)
                             : vortan::app::UnregisterPlugin(plugin, out, err);
    return {exitCode, out.str(), err.str()};
}

HRESULT Activate(REFCLSID clsid) {
    vortan::com::ComPtr<IUnknown> object;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.OutVoid());
}

// Entries of the user's own that no plug-in registration may touch.
constexpr const char* kOwnEntries = "[CLSID]\n{0BADC0DE-0001-0002-0304-05060708090A}=/opt/x.so\n"
                                    "\n[ProgID]\nA.B.1={0BADC0DE-0001-0002-0304-05060708090A}\n";

} // namespace

TEST(CommandLineInfo, RecognisesTheServerSwitchesInAnyCase) {
    using Action = CommandLineInfo::Action;
    struct Row {
        std::vector<const char*> args;
        Action action;
        bool embedded;
        bool automated;
    };
    const std::vector<Row> rows = {
        {{}, Action::Run, false, false},
        {{"--automation"}, Action::Run, false, true},
        {{"/AUTOMATION"}, Action::Run, false, true},
        {{"-Embedding"}, Action::Run, true, false},
        {{"--help"}, Action::Help, false, false},
        {{"--version"}, Action::Version, false, false},
        {{"automation"}, Action::Error, false, false},
        {{"--automate"}, Action::Error, false, false},
        {{"--register-plugin", "lib/x.so"}, Action::RegisterPlugin, false, false},
        {{"--unregister-plugin", "/x.so"}, Action::UnregisterPlugin, false, false},
        {{"--register-plugin"}, Action::Error, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.empty() ? "(none)" : row.args.front());
        const CommandLineInfo info = Parse(row.args);
        EXPECT_EQ(info.action, row.action);
        EXPECT_EQ(info.bRunEmbedded, row.embedded);
        EXPECT_EQ(info.bRunAutomated, row.automated);
        EXPECT_EQ(info.StartedByBus(), row.embedded || row.automated);
    }
    EXPECT_EQ(Parse({"--bogus"}).strError, "unknown option '--bogus'");
    EXPECT_EQ(Parse({"--register-plugin", "lib/x.so"}).strPlugin, "lib/x.so");
    EXPECT_EQ(Parse({"--unregister-plugin"}).strError,
              "--unregister-plugin needs the PATH of a plug-in");
}

TEST(ServerRegistration, WritesServiceFileAndProgIdThenRemovesBoth) {
    const vortan::test::TempDir dir;
    const vortan::test::ScopedEnv data("XDG_DATA_HOME", dir / "data");
    const vortan::test::ScopedEnv classes("VORTAN_CLASSES", dir / "classes.ini");
    const std::filesystem::path service =
        dir / "data/dbus-1/services/ZEPH.VORTAN.Application._7.service";
    // A path the bus would split is quoted.
    ASSERT_EQ(vortan::app::WriteRegistration("/opt/my tools/it's/vortan"), S_OK);
    EXPECT_EQ(ReadAll(service), "[D-BUS Service]\n"
                                "Name=ZEPH.VORTAN.Application._7\n"
                                "Exec='/opt/my tools/it'\\''s/vortan' --automation\n");
    vortan::com::ClassRegistry registry(dir / "classes.ini");
    const auto clsid = registry.FindProgId("ZEPH.VORTAN.Application.7");
    ASSERT_TRUE(clsid.has_value());
    EXPECT_EQ(*clsid, vortan::CLSID_VortanApplication);

    EXPECT_EQ(vortan::app::RemoveRegistration(), S_OK);
    EXPECT_FALSE(std::filesystem::exists(service));
    EXPECT_FALSE(registry.FindProgId("ZEPH.VORTAN.Application.7").has_value());
    EXPECT_EQ(vortan::app::RemoveRegistration(), S_OK); // nothing left is no failure
}

TEST(ServerRegistration, WritersAtTheSameTimeAllSucceed) {
    const vortan::test::TempDir dir;
    const vortan::test::ScopedEnv data("XDG_DATA_HOME", dir / "data");
    const vortan::test::ScopedEnv classes("VORTAN_CLASSES", dir / "classes.ini");
    std::vector<HRESULT> results(4 * 40, E_UNEXPECTED);
    std::vector<std::thread> writers;
    for (std::size_t w = 0; w < 4; ++w) {
        writers.emplace_back([&results, w] {
            for (std::size_t i = w; i < results.size(); i += 4)
                results[i] = vortan::app::WriteRegistration("/opt/vortan/bin/vortan");
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(results, std::vector<HRESULT>(results.size(), S_OK));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "data/dbus-1/services"), {}),
              1); // no temporary file left
}

TEST(PluginRegistration, EntersOnlyComponentPlugInsAndTakesExactlyTheirEntriesOut) {
    const vortan::test::TempDir dir;
    const vortan::test::ScopedEnv classes("VORTAN_CLASSES", dir / "classes.ini");
    const std::string registry = dir.WriteFile("classes.ini", kOwnEntries);
    const std::pair<std::string, std::string> refused[] = {
        {dir / "missing.so", "no such file"},
        {VORTAN_TEST_NO_ENTRY_PLUGIN, "it exports no DllGetClassObject"},
        {VORTAN_TEST_NO_CLASS_PLUGIN, "it provides neither component class\n"
                                      "  the controller access class "
                                      "{5CE68222-DDD2-11D2-977D-00104B49CBE6}: 0x80040111\n"},
    };
    for (const auto& [plugin, reason] : refused) {
        const Outcome run = RunPlugin(true, plugin);
        EXPECT_EQ(run.exitCode, 1) << plugin;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("vortan: cannot register " + plugin + ": " + reason))
            << run.err;
        EXPECT_EQ(ReadAll(registry), kOwnEntries);
    }

    const std::filesystem::path board = VORTAN_SIMBOARD_PLUGIN;
    const std::string forBoth =
        " for\n"
        "  the controller access class {5CE68222-DDD2-11D2-977D-00104B49CBE6}\n"
        "  the flash handling class {01000039-2409-43F1-8BAC-7D0643B6159E}\n";
    {
        // Given relative, entered absolute: activation from elsewhere finds it.
        const vortan::test::ScopedCurrentDir here(board.parent_path());
        EXPECT_EQ(RunPlugin(true, board.filename()).out,
                  "registered " + board.string() + " in " + registry + forBoth);
    }
    EXPECT_EQ(Activate(vortan::CLSID_ControllerAccess), S_OK);
    EXPECT_EQ(Activate(vortan::CLSID_FlashHandling), S_OK);

    // Named in another spelling, it is the same library.
    EXPECT_EQ(RunPlugin(false, board.parent_path() / "x/.." / board.filename()).out,
              "removed " + board.string() + " from " + registry + forBoth);
    EXPECT_EQ(ReadAll(registry), kOwnEntries);
    EXPECT_EQ(Activate(vortan::CLSID_FlashHandling), REGDB_E_CLASSNOTREG);
    const Outcome again = RunPlugin(false, board);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out,
              board.string() + " is not registered in " + registry + "; nothing removed\n");
}
