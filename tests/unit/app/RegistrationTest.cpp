#include "app/CommandLineInfo.h"
#include "app/ServerRegistration.h"

#include "platform/com/ClassRegistry.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

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
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.empty() ? "(none)" : row.args.front());
        const CommandLineInfo info = Parse(row.args);
        EXPECT_EQ(info.action, row.action);
        EXPECT_EQ(info.bRunEmbedded, row.embedded);
        EXPECT_EQ(info.bRunAutomated, row.automated);
        EXPECT_EQ(info.StartedByBus(), row.embedded || row.automated);
    }
    EXPECT_EQ(Parse({"--bogus"}).strError, "--bogus");
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
