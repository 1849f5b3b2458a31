// The board as Windows runs it: the DLL registered by its own DllRegisterServer, activated by
// COM, answering Connect from the thread's message loop and copying through the flash class
// with the events on another instance's sink; and vortan-board.exe run as a program.

#include <gtest/gtest.h>

#include "Win32TestWorld.h"
#include "components/simboard/ServerRegistration.h"
#include "components/simboard/SimBoard.h"
#include "support/RecordingSink.h"
#include "vortan/ComponentContract.h"
#include "vortan/com/Guid.h"

using vortan::test::RecordingSink;
using World = vortan::test::Win32TestWorld;
namespace com = vortan::com;

namespace {

const CLSID kClasses[] = {vortan::CLSID_ControllerAccess, vortan::CLSID_FlashHandling};

// A value of the class's server key under HKLM (this process may write there), or "<none>".
std::string ServerValue(const CLSID& clsid, const char* value = nullptr) {
    const std::string key =
        "Software\\Classes\\CLSID\\" + com::FormatGuid(clsid) + "\\InprocServer32";
    char text[MAX_PATH * 2] = {};
    DWORD size = sizeof text;
    const LONG found =
        RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size);
    return found == ERROR_SUCCESS ? text : "<none>";
}

// As the program does it (IUnknown, OleRun, QueryInterface), with `sink` advised on `events`.
template <typename T>
com::ComPtr<T> Create(REFCLSID clsid, REFIID iid, RecordingSink* sink = nullptr,
                      REFIID events = IID_NULL) {
    com::ComPtr<IUnknown> unknown;
    com::ComPtr<T> result;
    com::ComPtr<IConnectionPointContainer> container;
    com::ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.OutVoid()) != S_OK ||
        OleRun(unknown.Get()) != S_OK)
        return result;
    if (sink != nullptr &&
        (unknown->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()) != S_OK ||
         container->FindConnectionPoint(events, point.ReleaseAndGetAddressOf()) != S_OK ||
         point->Advise(sink, &cookie) != S_OK))
        return result;
    unknown->QueryInterface(iid, result.OutVoid());
    return result;
}

struct Result {
    int code;
    std::string out, err;
};

// Through the command processor, which redirects the output to files; without the carriage
// returns of the program's text mode.
Result RunTool(const World& world, const std::string& arguments) {
    const std::string out = world.Local("stdout"), err = world.Local("stderr");
    const int code = std::system(("\"\"" + World::BesideTest("vortan-board.exe") + "\" " +
                                  arguments + " >\"" + out + "\" 2>\"" + err + "\"\"")
                                     .c_str());
    Result result{code, World::ReadAll(out), World::ReadAll(err)};
    std::erase(result.out, '\r');
    std::erase(result.err, '\r');
    return result;
}

} // namespace

TEST(SimBoardWin32, RegistersItselfAndServesBothClassesThroughCom) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const World world;
    ASSERT_FALSE(vortan::simboard::SimBoard::Create(world.Boards(), "PLC1", {}));
    const std::string path = World::BesideTest("vortan-simboard.dll");
    const HMODULE dll = LoadLibraryA(path.c_str());
    const auto entry = [dll](const char* name) {
        // Through void(*)(): FARPROC's own signature is not the entry's.
        return reinterpret_cast<HRESULT(__stdcall*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
    };
    ASSERT_EQ(entry("DllRegisterServer")(), S_OK);
    for (const CLSID& clsid : kClasses) {
        EXPECT_EQ(ServerValue(clsid), path);
        EXPECT_EQ(ServerValue(clsid, "ThreadingModel"), "Apartment");
    }
    {
        RecordingSink answers, flash;
        std::vector<DISPID> answered, heard;
        answers.onInvoke = [&answered](DISPID dispid) { answered.push_back(dispid); };
        flash.onInvoke = [&heard](DISPID dispid) { heard.push_back(dispid); };
        const auto controller =
            Create<vortan::IController>(vortan::CLSID_ControllerAccess, vortan::IID_IController,
                                        &answers, vortan::DIID_IControllerEvents);
        const auto worker =
            Create<vortan::IFlashHandling>(vortan::CLSID_FlashHandling, vortan::IID_IFlashHandling);
        const auto observer =
            Create<vortan::IFlashHandling>(vortan::CLSID_FlashHandling, vortan::IID_IFlashHandling,
                                           &flash, vortan::DIID_IFlashHandlingEvents);
        ASSERT_TRUE(controller && worker && observer);
        EXPECT_EQ(entry("DllCanUnloadNow")(), S_FALSE);

        // The answer comes when the thread's loop dispatches it.
        ASSERT_EQ(controller->Connect(com::UniqueBstr::FromUtf8("PLC1").Get(), nullptr), S_OK);
        EXPECT_TRUE(answered.empty());
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        EXPECT_EQ(answered, std::vector<DISPID>{vortan::DISPID_CONTROLLER_CONNECTED});

        const std::string data = World::Pattern(70000);
        World::WriteAll(world.Local("a.cfg"), data);
        const auto name = com::UniqueBstr::FromUtf8("A.CFG");
        VARIANT_BOOL wrote = VARIANT_FALSE, read = VARIANT_FALSE;
        worker->WriteToMemory(controller.Get(),
                              com::UniqueBstr::FromUtf8(world.Local("a.cfg")).Get(), name.Get(),
                              VARIANT_TRUE, &wrote);
        worker->ReadFromMemory(controller.Get(),
                               com::UniqueBstr::FromUtf8(world.Local("b.cfg")).Get(), name.Get(),
                               VARIANT_TRUE, &read);
        EXPECT_EQ(wrote & read, VARIANT_TRUE);
        EXPECT_EQ(heard, (std::vector<DISPID>{4, 6, 6, 5, 7, 9, 9, 8}));
        EXPECT_EQ(World::ReadAll(world.Local("b.cfg")), data);
    }
    EXPECT_EQ(entry("DllCanUnloadNow")(), S_OK);
    EXPECT_EQ(entry("DllUnregisterServer")(), S_OK);
    for (const CLSID& clsid : kClasses)
        EXPECT_EQ(ServerValue(clsid), "<none>");
    FreeLibrary(dll);
    CoUninitialize();
}

TEST(SimBoardWin32, ToolKeepsItsVerbsMessagesAndExitCodes) {
    const World world;
    EXPECT_EQ(RunTool(world, "create PLC1").code, 0);
    World::WriteAll(world.Flash("PLC1", "B.CFG"), "12345");
    World::WriteAll(world.Flash("PLC1", "A.CFG"), "");
    EXPECT_EQ(RunTool(world, "list").out, "PLC1\t2\t5\t67108864\n");
    const Result cases[] = {
        // {exit code, arguments, messages}
        {2, "", "vortan-board: command missing\nTry 'vortan-board --help'.\n"},
        {2, "create X --capacity lots",
         "vortan-board: create: --capacity needs a number\nTry 'vortan-board --help'.\n"},
        {1, "create PLC1", "vortan-board: PLC1: board already exists (File exists)\n"},
        {1, "create CON", "vortan-board: CON: not a valid board name\n"},
        {1, "ls NOPE", "vortan-board: NOPE: no such board\n"},
        {1, "register --plugin C:\\none\\x.dll",
         "vortan-board: plug-in not found: C:\\none\\x.dll\n"},
    };
    for (const Result& c : cases) {
        const Result r = RunTool(world, c.out);
        EXPECT_EQ(r.code, c.code) << c.out;
        EXPECT_EQ(r.err, c.err) << c.out;
    }

    // A board another process holds cannot be removed, but can be looked at.
    const HANDLE lock =
        CreateFileA((world.Boards() + "\\PLC1\\lock").c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    OVERLAPPED at{};
    ASSERT_TRUE(LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at));
    const Result held = RunTool(world, "rm PLC1");
    EXPECT_EQ(held.code, 1);
    EXPECT_EQ(held.err, "vortan-board: PLC1: board is in use by another process (Resource "
                        "temporarily unavailable)\n");
    EXPECT_EQ(RunTool(world, "ls PLC1").out, "A.CFG\t0\nB.CFG\t5\n");
    CloseHandle(lock);
    EXPECT_EQ(RunTool(world, "rm PLC1").code, 0);
    EXPECT_EQ(RunTool(world, "list").out, "");

    const std::string dll = World::BesideTest("vortan-simboard.dll");
    EXPECT_EQ(RunTool(world, "register").out,
              "registered " + dll + " in HKEY_LOCAL_MACHINE\\Software\\Classes\n");
    for (const CLSID& clsid : kClasses)
        EXPECT_EQ(ServerValue(clsid), dll);
    EXPECT_EQ(vortan::simboard::UnregisterServer(), S_OK);
}
