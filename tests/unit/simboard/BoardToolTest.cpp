// vortan-board run as a program: its output, its messages and its exit codes.

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/com/ClassRegistry.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ContractIds.h"

namespace {

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

class BoardTool : public ::testing::Test {
protected:
    Result Run(const std::string& arguments) const {
        const std::string out = m_dir / "stdout";
        const std::string err = m_dir / "stderr";
        const int status = std::system(
            (std::string(VORTAN_BOARD_TOOL) + " " + arguments + " >" + out + " 2>" + err).c_str());
        return Result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    vortan::test::TempDir m_dir;
    vortan::test::ScopedEnv m_boards{"VORTAN_BOARDS", m_dir / "boards"};
    vortan::test::ScopedEnv m_classes{"VORTAN_CLASSES", m_dir / "classes.ini"};
};

} // namespace

TEST_F(BoardTool, CreatesListsInspectsAndRemovesBoards) {
    Result r = Run("create PLC1");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "boards/PLC1/flash"));
    EXPECT_EQ(Slurp(m_dir / "boards/PLC1/board.ini"),
              "[board]\ncapacity=67108864\nmax_files=256\nspeed=0\nfail_item=0\n"
              "fail_after_bytes=\nread_only=0\n");
    r = Run("create SMALL --capacity 1000 --max-files 4 --speed 500");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Slurp(m_dir / "boards/SMALL/board.ini"),
              "[board]\ncapacity=1000\nmax_files=4\nspeed=500\nfail_item=0\n"
              "fail_after_bytes=\nread_only=0\n");

    std::ofstream(m_dir / "boards/PLC1/flash/B.CFG") << "12345";
    std::ofstream(m_dir / "boards/PLC1/flash/A.CFG") << "";
    r = Run("list");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "PLC1\t2\t5\t67108864\nSMALL\t0\t0\t1000\n");
    r = Run("ls PLC1");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "A.CFG\t0\nB.CFG\t5\n");

    // A board in use cannot be removed, but can be looked at.
    const int lock = ::open((m_dir / "boards/PLC1/lock").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    r = Run("rm PLC1");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "vortan-board: PLC1: board is in use by another process (Resource "
                     "temporarily unavailable)\n");
    EXPECT_EQ(Run("ls PLC1").out, "A.CFG\t0\nB.CFG\t5\n");
    ::close(lock);

    r = Run("rm PLC1");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "boards/PLC1"));
    EXPECT_EQ(Run("list").out, "SMALL\t0\t0\t1000\n");
}

TEST_F(BoardTool, RejectsBadUsageAndReportsFailures) {
    ASSERT_EQ(Run("create PLC1").code, 0);
    struct Case {
        const char* arguments;
        int code;
        const char* err;
    };
    const Case cases[] = {
        {"", 2, "vortan-board: command missing\nTry 'vortan-board --help'.\n"},
        {"create X --capacity lots", 2,
         "vortan-board: create: --capacity needs a number\nTry 'vortan-board --help'.\n"},
        {"create PLC1", 1, "vortan-board: PLC1: board already exists (File exists)\n"},
        {"create ..", 1, "vortan-board: ..: not a valid board name\n"},
        {"ls NOPE", 1, "vortan-board: NOPE: no such board\n"},
        {"register --plugin /nonexistent/lib.so", 1,
         "vortan-board: plug-in not found: /nonexistent/lib.so\n"},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.arguments);
        EXPECT_EQ(r.code, c.code) << c.arguments;
        EXPECT_EQ(r.err, c.err) << c.arguments;
        EXPECT_EQ(r.out, "") << c.arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "boards/X"));

    const Result help = Run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: vortan-board COMMAND"), std::string::npos);
    EXPECT_NE(help.out.find("vortan-board create BENCH1 --capacity"), std::string::npos);
}

TEST_F(BoardTool, RegistersBothClassesWithThePluginBesideIt) {
    const Result r = Run("register");
    EXPECT_EQ(r.code, 0) << r.err;
    const auto plugin = std::filesystem::canonical(VORTAN_SIMBOARD_PLUGIN);
    const vortan::com::ClassRegistry registry(m_dir / "classes.ini");
    EXPECT_EQ(registry.FindClassPath(vortan::CLSID_ControllerAccess), plugin);
    EXPECT_EQ(registry.FindClassPath(vortan::CLSID_FlashHandling), plugin);
    EXPECT_EQ(r.out, "registered " + plugin.string() + " in " + (m_dir / "classes.ini") + "\n");
}
