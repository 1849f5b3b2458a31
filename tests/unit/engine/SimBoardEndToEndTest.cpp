// The engine against the simulated board plug-in, registered and created as the program does:
// write three files, read them back, remove them, format.

#include "engine/FileList.h"
#include "engine/VORTANDlg.h"
#include "platform/com/UniqueBstr.h"
#include "platform/win/WinUser.h"
#include "support/RecordingMessageBoxes.h"
#include "support/RecordingWindow.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vortan::test::RecordingWindow;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Pattern(std::size_t size, int seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + static_cast<std::size_t>(seed)) % 251);
    return bytes;
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SimBoardRun : public ::testing::Test {
protected:
    SimBoardRun() {
        EXPECT_EQ(Tool("register --plugin " + std::string(VORTAN_SIMBOARD_PLUGIN)), 0);
        EXPECT_EQ(Tool("create PLC1 --capacity 10000000"), 0);
        m_strProfile = dir.WriteFile("texts.ini", "[Texte]\n5045=Schreibe %d%%\n5048=Schreibe %s\n"
                                                  "5046=Lese %d%%\n5049=Lese %s\n"
                                                  "5044=Formatiere %d%%\n");
    }

    int Tool(const std::string& arguments) const {
        const std::string command =
            std::string(VORTAN_BOARD_TOOL) + " " + arguments + " >" + (dir / "tool.out") + " 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // One operation in a window of its own, as one server process runs it. Answers the
    // operation's HRESULT; `flag` and `modal` take the result flag and DoModal's result.
    HRESULT Run(const std::function<HRESULT(CVORTANDlg&, SHORT*)>& operation, SHORT& flag,
                INT_PTR& modal, std::string* caption = nullptr) {
        CVORTANDlg dlg;
        dlg.m_strProfileFile = m_strProfile;
        dlg.m_strProfileSection = "Texte";
        HRESULT hr = E_UNEXPECTED;
        RecordingWindow helper;
        helper.onMessage = [&](const RecordingWindow::Message& message) {
            if (message.message == WM_USER) {
                hr = operation(dlg, &flag);
                if (caption != nullptr)
                    *caption = vortan::win::GetWindowTextString(dlg.GetSafeHwnd());
                PostMessage(helper.Handle(), WM_USER + 1, 0, 0);
            } else if (message.message == WM_USER + 1) {
                dlg.EndDialog(55); // still open: the run did not end it
            }
        };
        PostMessage(helper.Handle(), WM_USER, 0, 0);
        modal = dlg.DoModal();
        return hr;
    }

    std::string Flash(const std::string& name = {}) const {
        return dir / "boards/PLC1/flash" + (name.empty() ? "" : "/" + name);
    }

    vortan::test::TempDir dir;
    vortan::test::ScopedEnv classes{"VORTAN_CLASSES", dir / "classes.ini"};
    vortan::test::ScopedEnv boards{"VORTAN_BOARDS", dir / "boards"};
    vortan::test::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.Path()};
    vortan::test::RecordingMessageBoxes boxes;
    std::string m_strProfile;
};

TEST_F(SimBoardRun, WritesReadsBackRemovesAndFormats) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"alpha.ini", Pattern(200000, 1)}, // several progress reports
        {"beta.cfg", Pattern(17, 2)},
        {"empty.dat", ""},
    };
    const std::string source = dir.MakeDir("source");
    CFileList writeList;
    for (const auto& [name, bytes] : files)
        writeList.AddFile(dir.WriteFile("source/" + name, bytes), 0);

    SHORT flag = 77;
    INT_PTR modal = 0;
    std::string caption;
    EXPECT_EQ(Run([&](CVORTANDlg& d, SHORT* f) { return d.DoWriteFiles("PLC1", &writeList, 0, f); },
                  flag, modal, &caption),
              S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(modal, 1); // the last item's end report ended the window
    EXPECT_EQ(caption, "Schreibe 100%");
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadAll(Flash(name)), bytes) << name;

    // Read back into another directory, by the names in the memory.
    const std::string target = dir.MakeDir("target");
    CFileList readList;
    for (const auto& [name, bytes] : files)
        readList.AddFile(name, 0);
    readList.SetTargetDirectory(target);
    flag = 77;
    EXPECT_EQ(Run([&](CVORTANDlg& d, SHORT* f) { return d.DoReadFiles("PLC1", &readList, 0, f); },
                  flag, modal, &caption),
              S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(modal, 1);
    EXPECT_EQ(caption, "Lese 100%");
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadAll(target + "/" + name), bytes) << name;
    EXPECT_EQ(readList.GetEntry(0)->m_strSize, "200000"); // sizes from the memory

    CFileList removeList;
    for (const auto& [name, bytes] : files)
        removeList.AddFile(name, 0);
    flag = 77;
    EXPECT_EQ(
        Run([&](CVORTANDlg& d, SHORT* f) { return d.DoRemoveFiles("PLC1", &removeList, 0, f); },
            flag, modal),
        S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(modal, 1);
    EXPECT_EQ(Entries(Flash()), std::vector<std::string>{});

    // A format empties whatever the memory holds.
    std::ofstream(Flash("left.ini")) << "x";
    VARIANT name;
    name.vt = VT_BSTR;
    name.bstrVal = vortan::com::UniqueBstr::FromUtf8("PLC1").Release();
    SHORT selector = 0;
    flag = 77;
    EXPECT_EQ(Run([&](CVORTANDlg& d, SHORT* f) { return d.DoFormat(&name, &selector, 0, f); }, flag,
                  modal, &caption),
              S_OK);
    VariantClear(&name);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(modal, 1);
    EXPECT_EQ(caption, "Formatiere 100%");
    EXPECT_EQ(Entries(Flash()), std::vector<std::string>{});
    EXPECT_EQ(g_hFlashMutex, nullptr);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SimBoardRun, UnknownBoardAndFailingItemsEndWithFlagZero) {
    CFileList list;
    list.AddFile(dir.WriteFile("a.ini", "a"), 0);
    list.AddFile(dir.WriteFile("b.ini", "b"), 0);
    SHORT flag = 77;
    INT_PTR modal = 0;
    EXPECT_EQ(Run([&](CVORTANDlg& d, SHORT* f) { return d.DoWriteFiles("PLC9", &list, 0, f); },
                  flag, modal),
              S_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(modal, 55); // the window waits for CloseServer

    // A memory name the board refuses fails the first item; the second is never written.
    list.GetEntry(0)->m_strTargetName = "..";
    flag = 77;
    EXPECT_EQ(Run([&](CVORTANDlg& d, SHORT* f) { return d.DoWriteFiles("PLC1", &list, 0, f); },
                  flag, modal),
              S_OK);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(Entries(Flash()), std::vector<std::string>{});
}

} // namespace
