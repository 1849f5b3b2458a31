#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

#include <QCoreApplication>
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "system/ServerTestEnv.h"
#include "system/SessionBus.h"

namespace vortan::systest {
ServerTestEnv& MutableEnv();
} // namespace vortan::systest

// The private world is made before the QCoreApplication: the bus address and the XDG tree
// must be in the environment before anything connects.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const vortan::test::TempDir root;
    auto& env = vortan::systest::MutableEnv();
    env.root = root.Path();
    env.program = VORTAN_SERVER_PATH;
    env.dataHome = root.MakeDir("data");
    const std::string services = root.MakeDir("data/dbus-1") + "/services";
    std::filesystem::create_directories(services);
    const std::string config = root.MakeDir("config");
    const std::string runtime = root.MakeDir("runtime");
    chmod(runtime.c_str(), 0700);
    env.boards = root.MakeDir("boards");
    setenv("XDG_DATA_HOME", env.dataHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("VORTAN_CLASSES", (root / "classes.ini").c_str(), 1);
    setenv("VORTAN_BOARDS", env.boards.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VORTAN_ANSWERS", (root / "none.answers").c_str(), 1);
    unsetenv("VORTAN_TRANSCRIPT");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");

    vortan::systest::SessionBus bus(root.MakeDir("bus"), services);
    if (!bus.Running()) {
        std::fputs("dbus-daemon could not be started\n", stderr);
        return 1;
    }
    env.busAddress = bus.Address();
    env.killBus = [&bus] { bus.Kill(); };
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
    setenv("DBUS_STARTER_BUS_TYPE", "session", 1);

    // The registration a start without switches writes, into the private bus's directory.
    if (vortan::systest::RunProgram(env.program, {"--register"}) != 0) {
        std::fputs("vortan --register failed\n", stderr);
        return 1;
    }

#ifdef VORTAN_BOARD_TOOL
    // The simulated board's components, for the tests of real transfers, registered as a
    // board owner registers a plug-in: every transfer shows that activation finds them.
    env.boardTool = VORTAN_BOARD_TOOL;
    if (vortan::systest::RunProgram(env.program, {"--register-plugin", VORTAN_BOARD_PLUGIN}) != 0) {
        std::fputs("vortan --register-plugin failed\n", stderr);
        return 1;
    }
#endif

    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
