// Connecting to a simulated board and reading its memory's directory.

#include "SimBoardFixture.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

#include "platform/com/UniqueBstr.h"
#include "platform/win/WinUser.h"

using vortan::test::Advised;
using vortan::test::RecordingSink;
using vortan::test::SimBoardFixture;
namespace com = vortan::com;

namespace {

class SimBoardController : public SimBoardFixture {};

std::string ConnectionName(vortan::IController* controller) {
    com::UniqueBstr name;
    EXPECT_EQ(controller->GetConnectionName(name.OutParam()), S_OK);
    return name.ToUtf8();
}

VARIANT_BOOL Connected(vortan::IController* controller) {
    VARIANT_BOOL connected = 7;
    EXPECT_EQ(controller->IsConnected(&connected), S_OK);
    return connected;
}

} // namespace

TEST_F(SimBoardController, AnswersConnectOnlyFromTheMessageLoop) {
    MakeBoard("PLC1");
    const auto controller = CreateController();
    ASSERT_TRUE(controller);
    RecordingSink sink(vortan::DIID_IControllerEvents);
    const Advised advised(controller.Get(), vortan::DIID_IControllerEvents, sink);

    const com::UniqueBstr name = com::UniqueBstr::FromUtf8("PLC1");
    EXPECT_EQ(controller->Connect(name.Get(), nullptr), S_OK);
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(Connected(controller.Get()), VARIANT_FALSE);
    EXPECT_EQ(ConnectionName(controller.Get()), "");

    MSG msg{};
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_TRUE(sink.calls.empty()); // fetched, not yet handled
    DispatchMessage(&msg);
    EXPECT_EQ(vortan::test::Dispids(sink),
              std::vector<DISPID>{vortan::DISPID_CONTROLLER_CONNECTED});
    EXPECT_TRUE(sink.calls[0].args.empty());
    EXPECT_EQ(Connected(controller.Get()), VARIANT_TRUE);
    EXPECT_EQ(ConnectionName(controller.Get()), "PLC1");
    EXPECT_EQ(ErrorCode(controller.Get()), 0);

    EXPECT_EQ(controller->Disconnect(), S_OK);
    Pump();
    EXPECT_EQ(sink.calls.size(), 1u); // Disconnect answers nothing
    EXPECT_EQ(Connected(controller.Get()), VARIANT_FALSE);
    EXPECT_EQ(ConnectionName(controller.Get()), "");
}

TEST_F(SimBoardController, RefusesWhatItCannotConnectToWithItsReason) {
    MakeBoard("HELD");
    MakeBoard("BADINI", "capacity=lots");
    MakeBoard(std::string(64, 'L'));
    std::filesystem::create_directories(m_dir / "boards/NOFLASH");
    std::filesystem::create_directories(m_dir / "outside/flash");

    // The lock another process would hold: flock locks belong to the open file, so a
    // descriptor of this test's own conflicts like a foreign process.
    const int lock = ::open((m_dir / "boards/HELD/lock").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    struct Case {
        std::string name;
        DISPID answer;
        LONG code;
    };
    const Case cases[] = {
        {"", 16, 1},
        {"a/b", 16, 1},
        {"../outside", 16, 1},
        {".", 16, 1},
        {"..", 16, 1},
        {"PLC\x01", 16, 1},
        {"PLC\x7F", 16, 1},
        {std::string(65, 'L'), 16, 1},
        {"NOPE", 16, 2},
        {"NOFLASH", 16, 2},
        {"HELD", 16, 3},
        {"BADINI", 16, 4},
        {std::string(64, 'L'), 1, 0},
    };
    const auto controller = CreateController();
    ASSERT_TRUE(controller);
    for (const Case& c : cases) {
        EXPECT_EQ(Connect(controller.Get(), c.name), c.answer) << c.name;
        EXPECT_EQ(Connected(controller.Get()), c.answer == 1 ? VARIANT_TRUE : VARIANT_FALSE)
            << c.name;
        EXPECT_EQ(ErrorCode(controller.Get()), c.code) << c.name;
    }

    ::close(lock);
    EXPECT_EQ(Connect(controller.Get(), "HELD"), vortan::DISPID_CONTROLLER_CONNECTED);
    // Now this process holds it: a second controller is refused until the first lets go.
    const auto second = CreateController();
    EXPECT_EQ(Connect(second.Get(), "HELD"), vortan::DISPID_CONTROLLER_CONNECT_FAILED);
    EXPECT_EQ(ErrorCode(second.Get()), 3);
    EXPECT_EQ(controller->Disconnect(), S_OK);
    EXPECT_EQ(Connect(second.Get(), "HELD"), vortan::DISPID_CONTROLLER_CONNECTED);
}

TEST_F(SimBoardController, ReleasedBeforeTheAnswerAnswersNothing) {
    MakeBoard("PLC1");
    RecordingSink sink(vortan::DIID_IControllerEvents);
    {
        const auto controller = CreateController();
        const Advised advised(controller.Get(), vortan::DIID_IControllerEvents, sink);
        const com::UniqueBstr name = com::UniqueBstr::FromUtf8("PLC1");
        EXPECT_EQ(controller->Connect(name.Get(), nullptr), S_OK);
    }
    Pump();
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(sink.RefCount(), 0u);
    // The board was never opened, so it is free.
    EXPECT_EQ(Connect(CreateController().Get(), "PLC1"), vortan::DISPID_CONTROLLER_CONNECTED);
}

TEST_F(SimBoardController, ReportsTheMemoryDirectorySortedByName) {
    MakeBoard("PLC1", "capacity=1000\nmax_files=9");
    std::ofstream(FlashPath("PLC1", "b.cfg")) << "0123456789";
    std::ofstream(FlashPath("PLC1", "a.cfg")) << "abc";
    std::filesystem::create_directories(FlashPath("PLC1", "subdir"));
    std::ofstream(FlashPath("PLC1", ".~incoming.Ab12Cd")) << "left by a crash";

    const auto controller = CreateController();
    vortan::MemoryInfo info;
    EXPECT_EQ(controller->GetMemoryInfo(&info), E_FAIL);
    EXPECT_EQ(ErrorCode(controller.Get()), 5);
    EXPECT_TRUE(std::filesystem::exists(FlashPath("PLC1", ".~incoming.Ab12Cd")));
    vortan::FileEntryInfo entry;
    SHORT status = 0;
    EXPECT_EQ(controller->GetFileEntry(0, &entry, &status), S_OK);
    EXPECT_EQ(status, -1);
    VARIANT_BOOL readable = 7;
    EXPECT_EQ(controller->HasFileDirectory(&readable), S_OK);
    EXPECT_EQ(readable, VARIANT_FALSE);

    ASSERT_EQ(Connect(controller.Get(), "PLC1"), vortan::DISPID_CONTROLLER_CONNECTED);
    EXPECT_FALSE(std::filesystem::exists(FlashPath("PLC1", ".~incoming.Ab12Cd")));
    EXPECT_EQ(controller->UpdateInfo(256, &status), S_OK);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(controller->HasFileDirectory(&readable), S_OK);
    EXPECT_EQ(readable, VARIANT_TRUE);

    info = {};
    ASSERT_EQ(controller->GetMemoryInfo(&info), S_OK);
    EXPECT_EQ(info.nFileCount, 2); // the subdirectory is no file of the memory
    EXPECT_EQ(info.lCapacity, 1000);
    EXPECT_EQ(info.lUsed, 13);
    EXPECT_EQ(info.lFree, 987);
    EXPECT_EQ(info.nMaxFileCount, 9);

    struct Case {
        LONG index;
        SHORT status;
        const char* name;
        LONG size;
    };
    const Case cases[] = {{0, 0, "a.cfg", 3}, {1, 0, "b.cfg", 10}, {2, -1, "", 0}, {-1, -1, "", 0}};
    for (const Case& c : cases) {
        vortan::FileEntryInfo found;
        status = 7;
        EXPECT_EQ(controller->GetFileEntry(c.index, &found, &status), S_OK);
        const com::UniqueBstr name(found.bstrName);
        EXPECT_EQ(status, c.status) << c.index;
        EXPECT_EQ(name.ToUtf8(), c.name) << c.index;
        EXPECT_EQ(found.lSize, c.size) << c.index;
    }
}
