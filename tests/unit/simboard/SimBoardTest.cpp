// The simulated board driven through its component interfaces as the program drives it:
// connecting, reading the memory's directory, and writing, reading, removing and formatting
// through the flash handling class, observed by a sink on another instance.

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/com/Activation.h"
#include "platform/com/ClassRegistry.h"
#include "platform/win/WinUser.h"
#include "support/FakeController.h"
#include "support/RecordingSink.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ComponentContract.h"
#include "vortan/ContractIds.h"
#include "vortan/com/ComPtr.h"
#include "vortan/com/UniqueBstr.h"

using namespace vortan::test;
namespace com = vortan::com;

namespace {

// Keeps a sink advised on a component until the end of the scope.
class Advised final {
public:
    Advised(IUnknown* component, REFIID eventIid, RecordingSink& sink) {
        com::ComPtr<IConnectionPointContainer> container;
        if (component->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()) != S_OK ||
            container->FindConnectionPoint(eventIid, m_point.ReleaseAndGetAddressOf()) != S_OK ||
            m_point->Advise(&sink, &m_cookie) != S_OK)
            ADD_FAILURE() << "the sink was not advised";
    }
    ~Advised() {
        if (m_point && m_cookie != 0)
            m_point->Unadvise(m_cookie);
    }
    Advised(const Advised&) = delete;
    Advised& operator=(const Advised&) = delete;

private:
    com::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

// The program's creation: IUnknown, OleRun, QueryInterface.
template <typename T>
com::ComPtr<T> Create(REFCLSID clsid, REFIID iid) {
    com::ComPtr<IUnknown> unknown;
    com::ComPtr<T> result;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.OutVoid()), S_OK);
    if (unknown) {
        EXPECT_EQ(OleRun(unknown.Get()), S_OK);
        EXPECT_EQ(unknown.QueryInterface(iid, result), S_OK);
    }
    return result;
}

std::vector<DISPID> Dispids(const RecordingSink& sink) {
    std::vector<DISPID> dispids;
    for (const auto& call : sink.calls)
        dispids.push_back(call.dispid);
    return dispids;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Test data of `size` bytes that differs at every position within a cycle of 251.
std::string Pattern(std::size_t size, char seed = 0) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i % 251) + static_cast<unsigned char>(seed));
    return bytes;
}

// Names of the entries of a directory, sorted.
std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A temporary world for the simulated board: a class registry naming the built plug-in and a
// boards directory.
class SimBoardFixture : public ::testing::Test {
protected:
    SimBoardFixture() {
        for (const CLSID& clsid : {vortan::CLSID_ControllerAccess, vortan::CLSID_FlashHandling})
            EXPECT_EQ(com::ClassRegistry(m_dir / "classes.ini")
                          .RegisterClassPath(clsid, VORTAN_SIMBOARD_PLUGIN),
                      S_OK);
        Pump(); // nothing of an earlier test may linger in the queue
    }

    // Makes <boards>/<name>/ with flash/ and a board.ini of `ini` (the [board] lines).
    void MakeBoard(std::string_view name, std::string_view ini = "") const {
        const std::filesystem::path dir = m_dir / ("boards/" + std::string(name));
        std::filesystem::create_directories(dir / "flash");
        std::ofstream(dir / "board.ini") << "[board]\n" << ini << "\n";
    }
    std::string FlashPath(std::string_view board, std::string_view file) const {
        return m_dir / "boards" + "/" + std::string(board) + "/flash/" + std::string(file);
    }

    static com::ComPtr<vortan::IController> CreateController() {
        return Create<vortan::IController>(vortan::CLSID_ControllerAccess, vortan::IID_IController);
    }
    static com::ComPtr<vortan::IFlashHandling> CreateFlash() {
        return Create<vortan::IFlashHandling>(vortan::CLSID_FlashHandling,
                                              vortan::IID_IFlashHandling);
    }
    static void Pump() { RecordingWindow::PumpPending(); }
    // Connect, then the loop until the answer; the DISPID of the answer (0: none came).
    static DISPID Connect(vortan::IController* controller, std::string_view name) {
        RecordingSink sink(vortan::DIID_IControllerEvents);
        const Advised advised(controller, vortan::DIID_IControllerEvents, sink);
        EXPECT_EQ(controller->Connect(com::UniqueBstr::FromUtf8(name).Get(), nullptr), S_OK);
        Pump();
        return sink.calls.size() == 1 ? sink.calls[0].dispid : 0;
    }
    static LONG ErrorCode(vortan::IController* controller) {
        vortan::ControllerErrorInfo info;
        EXPECT_EQ(controller->GetErrorInfo(&info), S_OK);
        return info.lCode;
    }

    TempDir m_dir;
    ScopedEnv m_classes{"VORTAN_CLASSES", m_dir / "classes.ini"};
    ScopedEnv m_boards{"VORTAN_BOARDS", m_dir / "boards"};
};

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

constexpr DISPID kWriteBegin = vortan::DISPID_FLASH_WRITE_BEGIN;
constexpr DISPID kWriteEnd = vortan::DISPID_FLASH_WRITE_END;
constexpr DISPID kWriteProgress = vortan::DISPID_FLASH_WRITE_PROGRESS;
constexpr DISPID kReadBegin = vortan::DISPID_FLASH_READ_BEGIN;
constexpr DISPID kReadEnd = vortan::DISPID_FLASH_READ_END;
constexpr DISPID kReadProgress = vortan::DISPID_FLASH_READ_PROGRESS;

// A connected controller, a worker instance that operates and an observer instance whose
// sink records what the program would see.
class SimBoardFlash : public SimBoardFixture {
protected:
    SimBoardFlash() { m_dir.MakeDir("local"); }

    void Open(std::string_view board) {
        m_controller = CreateController();
        ASSERT_TRUE(m_controller);
        ASSERT_EQ(Connect(m_controller.Get(), board), vortan::DISPID_CONTROLLER_CONNECTED);
        m_worker = CreateFlash();
        m_observer = CreateFlash();
        ASSERT_TRUE(m_worker && m_observer);
        m_advised.emplace(m_observer.Get(), vortan::DIID_IFlashHandlingEvents, m_sink);
    }

    // The outcome of `call(&outcome)`, which must answer S_OK.
    template <typename Call>
    static VARIANT_BOOL Outcome(Call call) {
        VARIANT_BOOL outcome = 7;
        EXPECT_EQ(call(&outcome), S_OK);
        return outcome;
    }
    static com::UniqueBstr Bstr(const std::string& text) { return com::UniqueBstr::FromUtf8(text); }
    VARIANT_BOOL Write(const std::string& local, const std::string& name,
                       vortan::IController* controller = nullptr) {
        return Outcome([&](VARIANT_BOOL* o) {
            return m_worker->WriteToMemory(controller ? controller : m_controller.Get(),
                                           Bstr(local).Get(), Bstr(name).Get(), VARIANT_TRUE, o);
        });
    }
    VARIANT_BOOL Read(const std::string& name, const std::string& local) {
        return Outcome([&](VARIANT_BOOL* o) {
            return m_worker->ReadFromMemory(m_controller.Get(), Bstr(local).Get(), Bstr(name).Get(),
                                            VARIANT_FALSE, o);
        });
    }
    VARIANT_BOOL Remove(const std::string& name) {
        return Outcome([&](VARIANT_BOOL* o) {
            return m_worker->RemoveFromMemory(m_controller.Get(), Bstr(name).Get(), VARIANT_TRUE,
                                              o);
        });
    }
    VARIANT_BOOL Format() {
        return Outcome([&](VARIANT_BOOL* o) {
            return m_worker->FormatMemory(m_controller.Get(), 1, VARIANT_FALSE, o);
        });
    }
    LONG Error() { return ErrorCode(m_controller.Get()); }
    // The events of the last item, forgetting them.
    std::vector<DISPID> Take() {
        const auto dispids = Dispids(m_sink);
        m_sink.calls.clear();
        return dispids;
    }
    std::string Local(std::string_view name, std::string_view bytes) const {
        return m_dir.WriteFile("local/" + std::string(name), bytes);
    }

    RecordingSink m_sink{vortan::DIID_IFlashHandlingEvents};
    com::ComPtr<vortan::IController> m_controller;
    com::ComPtr<vortan::IFlashHandling> m_worker;
    com::ComPtr<vortan::IFlashHandling> m_observer;
    std::optional<Advised> m_advised;
};

LONG I4(const RecordingSink::Call& call, std::size_t index) {
    return call.args.at(index).Get().lVal;
}

} // namespace

TEST_F(SimBoardController, AnswersConnectOnlyFromTheMessageLoopAndOnlyWhileAlive) {
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
    EXPECT_EQ(Dispids(sink), std::vector<DISPID>{vortan::DISPID_CONTROLLER_CONNECTED});
    EXPECT_EQ(Connected(controller.Get()), VARIANT_TRUE);
    EXPECT_EQ(ConnectionName(controller.Get()), "PLC1");
    EXPECT_EQ(ErrorCode(controller.Get()), 0);

    EXPECT_EQ(controller->Disconnect(), S_OK);
    Pump();
    EXPECT_EQ(sink.calls.size(), 1u); // Disconnect answers nothing
    EXPECT_EQ(Connected(controller.Get()), VARIANT_FALSE);
    EXPECT_EQ(ConnectionName(controller.Get()), "");

    // A controller released before its answer answers nothing and leaves the board free.
    RecordingSink early(vortan::DIID_IControllerEvents);
    {
        const auto released = CreateController();
        const Advised advisedEarly(released.Get(), vortan::DIID_IControllerEvents, early);
        EXPECT_EQ(released->Connect(name.Get(), nullptr), S_OK);
    }
    Pump();
    EXPECT_TRUE(early.calls.empty());
    EXPECT_EQ(early.RefCount(), 0u);
    EXPECT_EQ(Connect(controller.Get(), "PLC1"), vortan::DISPID_CONTROLLER_CONNECTED);
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
        {"../outside", 16, 1},
        {"..", 16, 1},
        {"PLC\x01", 16, 1},
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

TEST_F(SimBoardController, ReportsTheMemoryDirectorySortedByName) {
    MakeBoard("PLC1");
    std::ofstream(FlashPath("PLC1", "b.cfg")) << "0123456789";
    std::ofstream(FlashPath("PLC1", "a.cfg")) << "abc";
    std::filesystem::create_directories(FlashPath("PLC1", "subdir"));
    std::ofstream(FlashPath("PLC1", ".~incoming.Ab12Cd")) << "left by a crash";

    const auto controller = CreateController();
    ASSERT_EQ(Connect(controller.Get(), "PLC1"), vortan::DISPID_CONTROLLER_CONNECTED);
    EXPECT_FALSE(std::filesystem::exists(FlashPath("PLC1", ".~incoming.Ab12Cd")));
    VARIANT_BOOL readable = 7;
    EXPECT_EQ(controller->HasFileDirectory(&readable), S_OK);
    EXPECT_EQ(readable, VARIANT_TRUE);

    vortan::MemoryInfo info{};
    ASSERT_EQ(controller->GetMemoryInfo(&info), S_OK);
    EXPECT_EQ(info.nFileCount, 2); // the subdirectory is no file of the memory

    struct Case {
        LONG index;
        SHORT status;
        const char* name;
        LONG size;
    };
    const Case cases[] = {{0, 0, "a.cfg", 3}, {1, 0, "b.cfg", 10}, {2, -1, "", 0}, {-1, -1, "", 0}};
    for (const Case& c : cases) {
        vortan::FileEntryInfo found;
        SHORT status = 7;
        EXPECT_EQ(controller->GetFileEntry(c.index, &found, &status), S_OK);
        const com::UniqueBstr name(found.bstrName);
        EXPECT_EQ(status, c.status) << c.index;
        EXPECT_EQ(name.ToUtf8(), c.name) << c.index;
        EXPECT_EQ(found.lSize, c.size) << c.index;
    }
}

TEST_F(SimBoardFlash, WriteAndReadReportBeginProgressAndEnd) {
    MakeBoard("PLC1");
    Open("PLC1");
    const std::string data = Pattern(200 * 1024 + 5);
    const std::string source = Local("big.cfg", data);

    EXPECT_EQ(Write(source, "BIG.CFG"), VARIANT_TRUE);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, kWriteProgress, kWriteProgress,
                                           kWriteProgress, kWriteProgress, kWriteEnd}));
    EXPECT_EQ(ReadAll(FlashPath("PLC1", "BIG.CFG")), data);

    const std::string target = m_dir / "local/back.cfg";
    EXPECT_EQ(Read("BIG.CFG", target), VARIANT_TRUE);
    ASSERT_EQ(m_sink.calls.size(), 6u);
    EXPECT_EQ(I4(m_sink.calls[1], 0), 204805); // rgvarg[0]: the item's size
    EXPECT_EQ(I4(m_sink.calls[1], 1), 65536);
    EXPECT_EQ(I4(m_sink.calls[4], 1), 204805);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kReadBegin, kReadProgress, kReadProgress, kReadProgress,
                                           kReadProgress, kReadEnd}));
    EXPECT_EQ(ReadAll(target), data);

    // An empty file still reports its one progress and its end.
    EXPECT_EQ(Write(Local("empty.cfg", ""), "EMPTY.CFG"), VARIANT_TRUE);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, kWriteProgress, kWriteEnd}));
    EXPECT_EQ(Error(), 0);
    EXPECT_EQ(Entries(m_dir / "local"),
              (std::vector<std::string>{"back.cfg", "big.cfg", "empty.cfg"}));
}

TEST_F(SimBoardFlash, RemoveAndFormatReportTheirOwnEvents) {
    MakeBoard("PLC1");
    Open("PLC1");
    std::ofstream(FlashPath("PLC1", "A.CFG")) << "12345";
    std::ofstream(FlashPath("PLC1", "B.CFG")) << "1";
    std::ofstream(FlashPath("PLC1", "C.CFG")) << "12";

    EXPECT_EQ(Remove("A.CFG"), VARIANT_TRUE);
    ASSERT_EQ(m_sink.calls.size(), 4u);
    EXPECT_EQ(I4(m_sink.calls[2], 0), 5); // rgvarg[0]: size, rgvarg[1]: part done
    EXPECT_EQ(I4(m_sink.calls[2], 1), 5);
    EXPECT_EQ(Take(), (std::vector<DISPID>{14, 17, 17, 15}));
    EXPECT_FALSE(std::filesystem::exists(FlashPath("PLC1", "A.CFG")));

    EXPECT_EQ(Format(), VARIANT_TRUE);
    ASSERT_EQ(m_sink.calls.size(), 4u);
    ASSERT_EQ(m_sink.calls[0].args.size(), 1u);
    EXPECT_EQ(m_sink.calls[0].args[0].Type(), VT_I2);
    const SHORT number = m_sink.calls[0].args[0].Get().iVal;
    ASSERT_EQ(m_sink.calls[2].args.size(), 3u);
    EXPECT_EQ(m_sink.calls[2].args[0].Get().iVal, number);
    EXPECT_EQ(I4(m_sink.calls[2], 1), 2); // total
    EXPECT_EQ(I4(m_sink.calls[2], 2), 2); // done
    EXPECT_EQ(Take(), (std::vector<DISPID>{1, 3, 3, 2}));
    EXPECT_TRUE(Entries(m_dir / "boards/PLC1/flash").empty());

    // An empty memory still completes its bar, and the number belongs to the board.
    EXPECT_EQ(Format(), VARIANT_TRUE);
    ASSERT_EQ(m_sink.calls.size(), 3u);
    EXPECT_EQ(m_sink.calls[0].args.at(0).Get().iVal, number);
    EXPECT_EQ(I4(m_sink.calls[1], 2), 1);
    EXPECT_EQ(Take(), (std::vector<DISPID>{1, 3, 2}));
}

TEST_F(SimBoardFlash, EnforcesCapacityAndFileCountBeforeWriting) {
    MakeBoard("SMALL", "capacity=100\nmax_files=2");
    Open("SMALL");
    struct Case {
        const char* name;
        std::size_t size;
        VARIANT_BOOL outcome;
        LONG code;
    };
    const Case cases[] = {
        {"A", 60, VARIANT_TRUE, 0},   {"B", 41, VARIANT_FALSE, 12}, // 101 bytes in all
        {"B", 40, VARIANT_TRUE, 0},                                 // exactly full
        {"C", 0, VARIANT_FALSE, 13},                                // a third file
        {"A", 61, VARIANT_FALSE, 12}, // the overwrite counts the difference
    };
    for (const Case& c : cases) {
        const std::string data = Pattern(c.size, static_cast<char>(c.size));
        EXPECT_EQ(Write(Local("data", data), c.name), c.outcome) << c.name << c.size;
        EXPECT_EQ(Error(), c.code) << c.name << c.size;
        const auto events = Take();
        if (c.outcome == VARIANT_TRUE)
            EXPECT_EQ(ReadAll(FlashPath("SMALL", c.name)), data);
        else
            EXPECT_EQ(events, (std::vector<DISPID>{kWriteBegin, 13})) << "nothing was copied";
    }
    EXPECT_EQ(ReadAll(FlashPath("SMALL", "A")), Pattern(60, 60));
    EXPECT_EQ(Entries(m_dir / "boards/SMALL/flash"), (std::vector<std::string>{"A", "B"}));
}

TEST_F(SimBoardFlash, AFailedItemLeavesTheOldContentAndNoTemporaryFile) {
    MakeBoard("FAULTY", "fail_after_bytes=100000");
    std::ofstream(FlashPath("FAULTY", "OLD.CFG")) << "old board content";
    const std::string localOld = Local("old.cfg", "old local content");
    std::ofstream(FlashPath("FAULTY", "BIG.CFG")) << Pattern(150000);
    Open("FAULTY");

    EXPECT_EQ(Write(Local("new.cfg", Pattern(300000, 1)), "OLD.CFG"), VARIANT_FALSE);
    EXPECT_EQ(Error(), 16);
    // Exactly K bytes went over before the fault.
    ASSERT_EQ(m_sink.calls.size(), 4u);
    EXPECT_EQ(I4(m_sink.calls[2], 1), 100000);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, kWriteProgress, kWriteProgress, 16}));
    EXPECT_EQ(ReadAll(FlashPath("FAULTY", "OLD.CFG")), "old board content");

    EXPECT_EQ(Read("BIG.CFG", localOld), VARIANT_FALSE);
    EXPECT_EQ(Error(), 16);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kReadBegin, kReadProgress, kReadProgress, 16}));
    EXPECT_EQ(ReadAll(localOld), "old local content");

    EXPECT_EQ(Entries(m_dir / "boards/FAULTY"),
              (std::vector<std::string>{"board.ini", "flash", "lock"}));
    EXPECT_EQ(Entries(m_dir / "boards/FAULTY/flash"),
              (std::vector<std::string>{"BIG.CFG", "OLD.CFG"}));
    EXPECT_EQ(Entries(m_dir / "local"), (std::vector<std::string>{"new.cfg", "old.cfg"}));
}

TEST_F(SimBoardFlash, FaultSwitchesFailTheNthItemAndRefuseChangesOfAReadOnlyBoard) {
    MakeBoard("NTH", "fail_item=2");
    std::ofstream(FlashPath("NTH", "KEEP.CFG")) << "keep";
    Open("NTH");
    const std::string source = Local("a.cfg", "abc");
    EXPECT_EQ(Write(source, "A.CFG"), VARIANT_TRUE);
    EXPECT_EQ(Remove("KEEP.CFG"), VARIANT_FALSE);
    EXPECT_EQ(Error(), 16);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, kWriteProgress, kWriteEnd, 14, 16}));
    EXPECT_EQ(ReadAll(FlashPath("NTH", "KEEP.CFG")), "keep");
    EXPECT_EQ(Remove("KEEP.CFG"), VARIANT_TRUE); // only the second item fails
    EXPECT_EQ(Take(), (std::vector<DISPID>{14, 17, 17, 15}));

    MakeBoard("RO", "read_only=1");
    std::ofstream(FlashPath("RO", "R.CFG")) << "r";
    Open("RO");
    EXPECT_EQ(Write(source, "A.CFG"), VARIANT_FALSE);
    EXPECT_EQ(Error(), 15);
    EXPECT_EQ(Remove("R.CFG"), VARIANT_FALSE);
    EXPECT_EQ(Format(), VARIANT_FALSE);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, 16, 14, 16, 1, 16}));
    EXPECT_EQ(Read("R.CFG", m_dir / "local/r.cfg"), VARIANT_TRUE);
    EXPECT_EQ(ReadAll(m_dir / "local/r.cfg"), "r");
}

TEST_F(SimBoardFlash, BadInputFailsTheItemWithItsCodeAndWritesNothing) {
    MakeBoard("PLC1");
    std::ofstream(FlashPath("PLC1", "HERE.CFG")) << "here";
    Open("PLC1");
    const std::string source = Local("ok.cfg", "ok");
    m_dir.MakeDir("local/adir");
    const std::string tooLong = m_dir / std::string(PATH_MAX, 'p');

    enum class Op { Write, Read, Remove };
    struct Case {
        const char* what;
        Op op;
        std::string local;
        std::string name;
        LONG code;
        DISPID failure;
    };
    const Case cases[] = {
        {"missing source", Op::Write, m_dir / "local/none.cfg", "X.CFG", 9, 11},
        {"source path too long", Op::Write, tooLong, "X.CFG", 9, 11},
        {"target path too long", Op::Read, tooLong, "HERE.CFG", 11, 11},
        {"source is a directory", Op::Write, m_dir / "local/adir", "X.CFG", 10, 11},
        {"name with a slash", Op::Write, source, "a/b", 7, 12},
        {"name of 65 bytes", Op::Write, source, std::string(65, 'N'), 7, 12},
        {"name of a temporary file", Op::Write, source, ".~incoming.X", 7, 12},
        {"read of a missing name", Op::Read, m_dir / "local/x.cfg", "NONE.CFG", 8, 12},
        {"target is a directory", Op::Read, m_dir / "local/adir", "HERE.CFG", 11, 11},
        {"remove of a missing name", Op::Remove, "", "NONE.CFG", 8, 12},
        {"remove of an invalid name", Op::Remove, "", "../board.ini", 7, 12},
    };
    for (const Case& c : cases) {
        const VARIANT_BOOL outcome = c.op == Op::Write  ? Write(c.local, c.name)
                                     : c.op == Op::Read ? Read(c.name, c.local)
                                                        : Remove(c.name);
        EXPECT_EQ(outcome, VARIANT_FALSE) << c.what;
        EXPECT_EQ(Error(), c.code) << c.what;
        const auto events = Take();
        ASSERT_EQ(events.size(), 2u) << c.what;
        EXPECT_EQ(events[1], c.failure) << c.what;
    }
    EXPECT_EQ(Entries(m_dir / "boards/PLC1/flash"), (std::vector<std::string>{"HERE.CFG"}));
    EXPECT_EQ(Entries(m_dir / "local"), (std::vector<std::string>{"adir", "ok.cfg"}));

    // Not this plug-in's controller, no controller, and a controller not connected.
    FakeController foreign;
    EXPECT_EQ(Write(source, "X.CFG", &foreign), VARIANT_FALSE);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, 10}));
    const auto idle = CreateController();
    EXPECT_EQ(Write(source, "X.CFG", idle.Get()), VARIANT_FALSE);
    EXPECT_EQ(ErrorCode(idle.Get()), 5);
    VARIANT_BOOL outcome = 7;
    EXPECT_EQ(m_worker->FormatMemory(nullptr, 1, VARIANT_FALSE, &outcome), S_OK);
    EXPECT_EQ(outcome, VARIANT_FALSE);
    EXPECT_EQ(m_worker->WriteToMemory(m_controller.Get(), nullptr, nullptr, VARIANT_FALSE, nullptr),
              E_POINTER);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, 10, 1, 10}));

    // The board's directory goes away under a connected controller.
    std::filesystem::remove_all(m_dir / "boards/PLC1");
    EXPECT_EQ(Write(source, "X.CFG"), VARIANT_FALSE);
    EXPECT_EQ(Error(), 14);
    EXPECT_EQ(Read("HERE.CFG", m_dir / "local/h.cfg"), VARIANT_FALSE);
    EXPECT_EQ(Take(), (std::vector<DISPID>{kWriteBegin, 10, kReadBegin, 10}));
    EXPECT_EQ(Connected(m_controller.Get()), VARIANT_FALSE);
}

TEST_F(SimBoardFlash, AnEndHandlerMayDisconnectAndReleaseEverything) {
    MakeBoard("PLC1");
    Open("PLC1");
    const std::string source = Local("a.cfg", Pattern(70000));
    // As the program does at the end of its last item: disconnect and drop the controller
    // and the worker while the worker's call is still on the stack.
    m_sink.onInvoke = [this](DISPID dispid) {
        if (dispid == kWriteEnd || dispid == kWriteProgress) {
            if (m_controller)
                m_controller->Disconnect();
            m_controller.Reset();
            m_worker.Reset();
        }
    };
    // The item already running keeps its board.
    EXPECT_EQ(Write(source, "A.CFG"), VARIANT_TRUE);
    EXPECT_FALSE(m_controller);
    EXPECT_EQ(Take(),
              (std::vector<DISPID>{kWriteBegin, kWriteProgress, kWriteProgress, kWriteEnd}));
    EXPECT_EQ(ReadAll(FlashPath("PLC1", "A.CFG")), Pattern(70000));
    // And the board is free again.
    EXPECT_EQ(Connect(CreateController().Get(), "PLC1"), vortan::DISPID_CONTROLLER_CONNECTED);
}
