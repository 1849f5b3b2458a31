// Writing, reading, removing and formatting through the flash handling class, observed by a
// sink on another instance, as the program observes them.

#include "SimBoardFixture.h"

#include <climits>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "platform/com/UniqueBstr.h"
#include "support/FakeController.h"

using vortan::test::Advised;
using vortan::test::Dispids;
using vortan::test::Entries;
using vortan::test::Pattern;
using vortan::test::ReadAll;
using vortan::test::RecordingSink;
using vortan::test::SimBoardFixture;
namespace com = vortan::com;

namespace {

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

    VARIANT_BOOL Write(const std::string& local, const std::string& name,
                       vortan::IController* controller = nullptr) {
        const auto bstrLocal = com::UniqueBstr::FromUtf8(local);
        const auto bstrName = com::UniqueBstr::FromUtf8(name);
        VARIANT_BOOL outcome = 7;
        EXPECT_EQ(m_worker->WriteToMemory(controller ? controller : m_controller.Get(),
                                          bstrLocal.Get(), bstrName.Get(), VARIANT_TRUE, &outcome),
                  S_OK);
        return outcome;
    }
    VARIANT_BOOL Read(const std::string& name, const std::string& local) {
        const auto bstrLocal = com::UniqueBstr::FromUtf8(local);
        const auto bstrName = com::UniqueBstr::FromUtf8(name);
        VARIANT_BOOL outcome = 7;
        EXPECT_EQ(m_worker->ReadFromMemory(m_controller.Get(), bstrLocal.Get(), bstrName.Get(),
                                           VARIANT_FALSE, &outcome),
                  S_OK);
        return outcome;
    }
    VARIANT_BOOL Remove(const std::string& name) {
        const auto bstrName = com::UniqueBstr::FromUtf8(name);
        VARIANT_BOOL outcome = 7;
        EXPECT_EQ(
            m_worker->RemoveFromMemory(m_controller.Get(), bstrName.Get(), VARIANT_TRUE, &outcome),
            S_OK);
        return outcome;
    }
    VARIANT_BOOL Format() {
        VARIANT_BOOL outcome = 7;
        EXPECT_EQ(m_worker->FormatMemory(m_controller.Get(), 1, VARIANT_FALSE, &outcome), S_OK);
        return outcome;
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
    const LONG expectedDone[] = {65536, 131072, 196608, 204805};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& call = m_sink.calls[1 + i];
        EXPECT_EQ(call.dispid, kReadProgress);
        ASSERT_EQ(call.args.size(), 2u);
        EXPECT_EQ(I4(call, 0), 204805) << i; // rgvarg[0]: the item's size
        EXPECT_EQ(I4(call, 1), expectedDone[i]) << i;
    }
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
    EXPECT_EQ(I4(m_sink.calls[1], 0), 5); // rgvarg[0]: size, rgvarg[1]: part done
    EXPECT_EQ(I4(m_sink.calls[1], 1), 0);
    EXPECT_EQ(I4(m_sink.calls[2], 1), 5);
    EXPECT_EQ(Take(), (std::vector<DISPID>{14, 17, 17, 15}));
    EXPECT_FALSE(std::filesystem::exists(FlashPath("PLC1", "A.CFG")));

    EXPECT_EQ(Format(), VARIANT_TRUE);
    ASSERT_EQ(m_sink.calls.size(), 4u);
    const auto& begin = m_sink.calls[0];
    ASSERT_EQ(begin.args.size(), 1u);
    EXPECT_EQ(begin.args[0].Type(), VT_I2);
    const SHORT number = begin.args[0].Get().iVal;
    EXPECT_GE(number, 0);
    const auto& second = m_sink.calls[2];
    ASSERT_EQ(second.args.size(), 3u);
    EXPECT_EQ(second.args[0].Get().iVal, number);
    EXPECT_EQ(I4(second, 1), 2); // total
    EXPECT_EQ(I4(second, 2), 2); // done
    EXPECT_EQ(m_sink.calls[3].args.at(0).Get().iVal, number);
    EXPECT_EQ(Take(), (std::vector<DISPID>{1, 3, 3, 2}));
    EXPECT_TRUE(Entries(m_dir / "boards/PLC1/flash").empty());

    // An empty memory still completes its bar, and the number belongs to the board.
    EXPECT_EQ(Format(), VARIANT_TRUE);
    ASSERT_EQ(m_sink.calls.size(), 3u);
    EXPECT_EQ(m_sink.calls[0].args.at(0).Get().iVal, number);
    EXPECT_EQ(I4(m_sink.calls[1], 1), 1);
    EXPECT_EQ(I4(m_sink.calls[1], 2), 1);
    EXPECT_EQ(Take(), (std::vector<DISPID>{1, 3, 2}));
}

TEST_F(SimBoardFlash, KeepsTheMemoryAcrossReloads) {
    MakeBoard("PLC1");
    const std::string data = Pattern(300000, 7);
    const std::string source = Local("p.cfg", data);
    Open("PLC1");
    ASSERT_EQ(Write(source, "P.CFG"), VARIANT_TRUE);
    m_advised.reset();
    m_worker.Reset();
    m_observer.Reset();
    m_controller.Reset(); // releases the board and its lock
    EXPECT_EQ(ReadAll(FlashPath("PLC1", "P.CFG")), data);

    m_sink.calls.clear();
    Open("PLC1");
    const std::string target = m_dir / "local/again.cfg";
    const mode_t umask = ::umask(077);
    EXPECT_EQ(Read("P.CFG", target), VARIANT_TRUE);
    ::umask(umask);
    EXPECT_EQ(ReadAll(target), data);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u); // 0666 less the umask
}

TEST_F(SimBoardFlash, EnforcesCapacityAndFileCountBeforeWriting) {
    MakeBoard("SMALL", "capacity=100\nmax_files=2");
    Open("SMALL");
    struct Case {
        const char* name;
        std::size_t size;
        VARIANT_BOOL outcome;
        LONG code;
        DISPID last;
    };
    const Case cases[] = {
        {"A", 60, VARIANT_TRUE, 0, kWriteEnd}, {"B", 41, VARIANT_FALSE, 12, 13}, // 101 bytes in all
        {"B", 40, VARIANT_TRUE, 0, kWriteEnd},                                   // exactly full
        {"C", 0, VARIANT_FALSE, 13, 13},                                         // a third file
        {"A", 61, VARIANT_FALSE, 12, 13}, // the overwrite counts the difference
        {"A", 60, VARIANT_TRUE, 0, kWriteEnd}, {"A", 101, VARIANT_FALSE, 12, 13},
    };
    for (const Case& c : cases) {
        const std::string data = Pattern(c.size, static_cast<char>(c.size));
        EXPECT_EQ(Write(Local("data", data), c.name), c.outcome) << c.name << c.size;
        EXPECT_EQ(Error(), c.code) << c.name << c.size;
        const auto events = Take();
        EXPECT_EQ(events.back(), c.last) << c.name << c.size;
        if (c.outcome == VARIANT_TRUE)
            EXPECT_EQ(ReadAll(FlashPath("SMALL", c.name)), data);
        else
            EXPECT_EQ(events, (std::vector<DISPID>{kWriteBegin, 13})) << "nothing was copied";
    }
    EXPECT_EQ(ReadAll(FlashPath("SMALL", "A")), Pattern(60, 60));
    EXPECT_EQ(ReadAll(FlashPath("SMALL", "B")), Pattern(40, 40));
    EXPECT_EQ(Entries(m_dir / "boards/SMALL/flash"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Entries(m_dir / "boards/SMALL"),
              (std::vector<std::string>{"board.ini", "flash", "lock"}));
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
    const std::string links = m_dir.MakeDir("links");
    std::filesystem::create_symlink(links + "/nowhere", links + "/dangling");
    std::filesystem::create_symlink(links + "/loop", links + "/loop");
    const std::string tooLong = links + "/" + std::string(PATH_MAX, 'p');

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
        // A missing file is named by its whole path, which is no memory name either.
        {"missing source as its own name", Op::Write, m_dir / "local/none.cfg",
         m_dir / "local/none.cfg", 9, 11},
        {"dangling link", Op::Write, links + "/dangling", links + "/dangling", 9, 11},
        {"link loop", Op::Write, links + "/loop", links + "/loop", 9, 11},
        {"source path too long", Op::Write, tooLong, "X.CFG", 9, 11},
        {"target path too long", Op::Read, tooLong, "HERE.CFG", 11, 11},
        {"source is a directory", Op::Write, m_dir / "local/adir", "X.CFG", 10, 11},
        {"name with a slash", Op::Write, source, "a/b", 7, 12},
        {"name ..", Op::Write, source, "..", 7, 12},
        {"empty name", Op::Write, source, "", 7, 12},
        {"name of 65 bytes", Op::Write, source, std::string(65, 'N'), 7, 12},
        {"control character", Op::Write, source, "A\tB", 7, 12},
        {"name of a temporary file", Op::Write, source, ".~incoming.X", 7, 12},
        {"read of a missing name", Op::Read, m_dir / "local/x.cfg", "NONE.CFG", 8, 12},
        {"target in a missing directory", Op::Read, m_dir / "local/no/x.cfg", "HERE.CFG", 11, 11},
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
    EXPECT_TRUE(Entries(m_dir / "local/adir").empty());
    EXPECT_EQ(Entries(m_dir / "boards/PLC1"),
              (std::vector<std::string>{"board.ini", "flash", "lock"}));

    // Not this plug-in's controller, no controller, and a controller not connected.
    vortan::test::FakeController foreign;
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
    VARIANT_BOOL connected = 7;
    EXPECT_EQ(m_controller->IsConnected(&connected), S_OK);
    EXPECT_EQ(connected, VARIANT_FALSE);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "boards/PLC1"));
}

TEST_F(SimBoardFlash, AnEndHandlerMayDisconnectAndReleaseEverything) {
    MakeBoard("PLC1");
    Open("PLC1");
    const std::string source = Local("a.cfg", Pattern(70000));
    // As the program does at the end of its last item: disconnect and drop the controller
    // and the worker while the worker's call is still on the stack.
    vortan::IFlashHandling* worker = m_worker.Get();
    m_sink.onInvoke = [this](DISPID dispid) {
        if (dispid == kWriteEnd || dispid == kWriteProgress) {
            if (m_controller)
                m_controller->Disconnect();
            m_controller.Reset();
            m_worker.Reset();
        }
    };
    const auto bstrLocal = com::UniqueBstr::FromUtf8(source);
    const auto bstrName = com::UniqueBstr::FromUtf8("A.CFG");
    VARIANT_BOOL outcome = 7;
    EXPECT_EQ(worker->WriteToMemory(m_controller.Get(), bstrLocal.Get(), bstrName.Get(),
                                    VARIANT_FALSE, &outcome),
              S_OK);
    EXPECT_FALSE(m_controller);
    EXPECT_EQ(outcome, VARIANT_TRUE); // the item already running keeps its board
    EXPECT_EQ(Take(),
              (std::vector<DISPID>{kWriteBegin, kWriteProgress, kWriteProgress, kWriteEnd}));
    EXPECT_EQ(ReadAll(FlashPath("PLC1", "A.CFG")), Pattern(70000));
    // And the board is free again.
    EXPECT_EQ(Connect(CreateController().Get(), "PLC1"), vortan::DISPID_CONTROLLER_CONNECTED);
}
