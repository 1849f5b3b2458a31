#include <gtest/gtest.h>

#include "engine/FileList.h"
#include "selection/SelectDirectory.h"
#include "selection/SelectFileDlg.h"
#include "support/FakeSelectionServices.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"

using vortan::test::TempDir;
using Strings = std::vector<std::string>;

namespace {

// Runs a file selection with the given answer (none: cancelled); the list starts with one entry.
struct FileRun {
    FileRun(const char* profile, const char* section, const std::string& initial, DWORD extra,
            DWORD control, const Strings& answer) {
        desktop.fileAnswers.push_back({!answer.empty(), answer, 0});
        desktop.folderAnswers.push_back({true, "/"});
        list.AddFile("/kept.ini", 0);
        CSelectFileDlg dlg(nullptr, profile, section, initial.c_str(), extra, control, list);
        dlg.SetDefaultExtension("..ini");
        dlg.SetFileName("b");
        result = dlg.DoModal();
        for (int i = 0; i < list.GetCount(); ++i)
            listed.push_back(list.GetEntry(i)->m_strDirectory + list.GetEntry(i)->m_strName);
    }
    vortan::test::FakeSelectionServices desktop;
    vortan::test::RecordingMessageBoxes boxes;
    CFileList list;
    INT_PTR result = 0;
    Strings listed;
};

} // namespace

TEST(CSelectFileDlg, ResultAndListFollowTheBrowse) {
    const TempDir dir;
    const std::string a = dir.WriteFile("a.txt", ""), b = dir.WriteFile("b.txt", "");
    const std::string c = dir / "c.txt"; // not there: listed all the same
    const struct {
        DWORD extra, control;
        Strings answer;
        INT_PTR result;
        Strings listed;
        std::size_t fileDialogs, boxes;
    } cases[] = {
        {0x200, FileMode | OpenDialog, {a, b}, IDOK, {a, b}, 1, 0},
        {0, FileMode | MultipleFiles, {b, c}, IDOK, {b, c}, 1, 0},
        {0x200, FileMode, {}, IDCANCEL, {"/kept.ini"}, 1, 0},
        {0, FolderMode, {}, IDCANCEL, {}, 0, 0}, // the browser's choice is no file
        {0x200, 0, {a}, IDCANCEL, {"/kept.ini"}, 0, 1},
        {0, FileMode | FolderMode, {a}, IDCANCEL, {"/kept.ini"}, 0, 1},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.control);
        const FileRun run("", "", "", t.extra, t.control, t.answer);
        EXPECT_EQ(run.result, t.result);
        EXPECT_EQ(run.listed, t.listed);
        EXPECT_EQ(run.desktop.fileRequests.size(), t.fileDialogs);
        EXPECT_EQ(run.boxes.shown.size(), t.boxes);
    }
}

TEST(CSelectFileDlg, SaveStyleStartsAtAnExistingPlaceWithTheProfilesTexts) {
    const TempDir dir;
    const std::string profile = dir.WriteFile("p.ini", "[S]\n5025=Lesen als\n");
    const std::string old = dir.WriteFile("old.ini", "old");
    const std::string builtIn = "Dateien auf den Parametrierungsspeicher schreiben";
    const struct {
        const char* section;
        std::string initial, shownDirectory, shownName, title;
        Strings answer, listed;
    } cases[] = {
        {"S", dir.Path(), dir.Path(), "b", "Lesen als", {dir / "new", old}, {dir / "new.ini"}},
        {"", old, old, "b", builtIn, {old}, {old}},
        {"S", dir / "gone", "", "", "Lesen als", {}, {"/kept.ini"}},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.initial);
        const FileRun run(profile.c_str(), t.section, t.initial, 0x2802, 0x479, t.answer);
        EXPECT_EQ(run.listed, t.listed);
        ASSERT_EQ(run.desktop.fileRequests.size(), 1u);
        const auto& shown = run.desktop.fileRequests[0];
        EXPECT_EQ(
            (Strings{shown.initialDirectory, shown.fileName, shown.title, shown.defaultExtension}),
            (Strings{t.shownDirectory, t.shownName, t.title, "ini"}));
        EXPECT_TRUE(shown.save && (shown.flags & 0x2A02) == 0x2802); // one file, save dialog
    }
}

TEST(CSelectDirectory, ChoosesAFolderFromAnInvisibleHost) {
    const TempDir dir;
    const std::string sub = dir.MakeDir("sub"), d = dir.Path();
    const std::string profile = dir.WriteFile("p.ini", "[S]\n5024=Wohin?\n");
    const vortan::test::ScopedCurrentDir here(d); // "sub" names a folder, relatively
    const struct {
        const char* section;
        std::string text;
        vortan::ui::FolderBrowserAnswer answer;
        INT_PTR result;
        std::string directory, title, preselection;
    } cases[] = {
        {"S", d, {true, sub + "/"}, IDOK, sub + "/", "Wohin?", d},
        {"T", d + "/gone", {true, sub}, IDOK, sub, "", ""},
        {"S", "sub", {false, sub}, IDCANCEL, "", "Wohin?", ""},
        {"S", "", {true, std::nullopt}, IDCANCEL, "", "Wohin?", ""},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.text);
        vortan::test::FakeSelectionServices desktop;
        desktop.folderAnswers.push_back(t.answer);
        CSelectDirectory dlg(nullptr, profile.c_str(), t.section, t.text.c_str());
        EXPECT_EQ(dlg.DoModal(), t.result);
        EXPECT_EQ(dlg.GetDirectory(), t.directory);
        EXPECT_EQ(desktop.folderTitles, Strings{t.title});
        EXPECT_EQ(desktop.folderPreselections, Strings{t.preselection});
    }
}
