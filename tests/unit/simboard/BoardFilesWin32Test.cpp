// The store's Windows files through the board's own items: the bytes that land on disk, what
// a failed item leaves behind, and the names Windows would not keep as given.

#include <gtest/gtest.h>

#include "Win32TestWorld.h"
#include "components/simboard/BoardName.h"
#include "components/simboard/SimBoard.h"

using namespace vortan::simboard;
using World = vortan::test::Win32TestWorld;

namespace {

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<SimBoard> MakeBoard(const World& world, const BoardConfig& config = {}) {
    std::unique_ptr<SimBoard> board;
    EXPECT_FALSE(SimBoard::Create(world.Boards(), "PLC1", config));
    EXPECT_FALSE(SimBoard::Open(world.Boards(), "PLC1", board));
    return board;
}

} // namespace

TEST(BoardFilesWin32, WritesAndReadsBackByteForByteAndReplacesWholeFiles) {
    const World world;
    const auto board = MakeBoard(world);
    ASSERT_TRUE(board);
    // Line ends and the text end mark cross unchanged.
    const std::string data = World::Pattern(200 * 1024 + 3) + "\r\n\n\x1a";
    World::WriteAll(world.Local("data.bin"), data);
    World::WriteAll(world.Local("back.bin"), "an older and longer local file....");
    World::WriteAll(world.Local("small.bin"), "new");
    ASSERT_FALSE(board->Write(world.Local("data.bin"), "DATA.BIN", {}));
    EXPECT_EQ(World::ReadAll(world.Flash("PLC1", "DATA.BIN")), data);
    ASSERT_FALSE(board->Read("DATA.BIN", world.Local("back.bin"), {}));
    EXPECT_EQ(World::ReadAll(world.Local("back.bin")), data);
    ASSERT_FALSE(board->Write(world.Local("small.bin"), "DATA.BIN", {}));
    EXPECT_EQ(World::ReadAll(world.Flash("PLC1", "DATA.BIN")), "new");
    EXPECT_EQ(Entries(world.Local()),
              (std::vector<std::string>{"back.bin", "data.bin", "small.bin"}));
    EXPECT_EQ(Entries(world.Flash("PLC1")), std::vector<std::string>{"DATA.BIN"});

    // Held by this connection: a second one, also of this process, is refused.
    std::unique_ptr<SimBoard> second;
    EXPECT_EQ(SimBoard::Open(world.Boards(), "PLC1", second).code, BoardErrorCode::BoardBusy);
}

TEST(BoardFilesWin32, AFailedItemLeavesTheOldFileWholeAndNoTemporaryFile) {
    const World world;
    BoardConfig faulty;
    faulty.failAfterBytes = 100000;
    const auto board = MakeBoard(world, faulty);
    ASSERT_TRUE(board);
    World::WriteAll(world.Flash("PLC1", "OLD.CFG"), "old board content");
    World::WriteAll(world.Flash("PLC1", "BIG.CFG"), World::Pattern(150000));
    World::WriteAll(world.Local("old.cfg"), "old local content");
    World::WriteAll(world.Local("new.cfg"), World::Pattern(300000, 1));
    World::WriteAll(world.Local("locked.cfg"), "read-only");
    SetFileAttributesA(world.Local("locked.cfg").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(board->Write(world.Local("new.cfg"), "OLD.CFG", {}).code,
              BoardErrorCode::InjectedFault);
    EXPECT_EQ(board->Read("BIG.CFG", world.Local("old.cfg"), {}).code,
              BoardErrorCode::InjectedFault);
    // Read-only, and a directory (by its own name and with a trailing separator).
    for (const std::string& target :
         {world.Local("locked.cfg"), world.Local("..\\local"), world.Local()})
        EXPECT_EQ(board->Read("OLD.CFG", target, {}).code, BoardErrorCode::LocalTargetUnwritable);
    EXPECT_EQ(World::ReadAll(world.Flash("PLC1", "OLD.CFG")), "old board content");
    EXPECT_EQ(World::ReadAll(world.Local("old.cfg")), "old local content");
    EXPECT_EQ(World::ReadAll(world.Local("locked.cfg")), "read-only");
    EXPECT_EQ(Entries(world.Flash("PLC1")), (std::vector<std::string>{"BIG.CFG", "OLD.CFG"}));
    EXPECT_EQ(Entries(world.Local()),
              (std::vector<std::string>{"locked.cfg", "new.cfg", "old.cfg"}));
    SetFileAttributesA(world.Local("locked.cfg").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(BoardFilesWin32, RefusesNamesWindowsWouldNotKeepAsGiven) {
    // Each would leave its directory, name a stream or device, or be stored under another name.
    for (const char* name : {"..\\local", "C:x", "a:stream", "A.CFG.", "A.CFG ", "a*b", "CON",
                             "nul.txt", "com1", "Lpt9.cfg", "CONOUT$"})
        EXPECT_FALSE(IsMemoryName(name)) << name;
    for (const char* name : {"CONFIG", "COM10", "A.CFG", "a b"})
        EXPECT_TRUE(IsMemoryName(name)) << name;
}
