#include "engine/FileList.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WindowModel.h"
#include "selection/SelectDirectory.h"
#include "selection/SelectFileDlg.h"
#include "support/FakeSelectionServices.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>

using vortan::test::FakeSelectionServices;
using vortan::test::RecordingMessageBoxes;
using vortan::test::TempDir;
using vortan::ui::FileDialogAnswer;

namespace {

constexpr const char* kBuiltInTitle = "Dateien auf den Parametrierungsspeicher schreiben";

std::vector<std::string> Paths(const CFileList& list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list.GetCount(); ++i)
        paths.push_back(list.GetEntry(i)->m_strDirectory + list.GetEntry(i)->m_strName);
    return paths;
}

// The user moves through `moves` in the folder browser (noting the status text after each)
// and then gives `answer`.
class MovingFolderBrowser final : public vortan::ui::IFolderBrowserService {
public:
    vortan::ui::FolderBrowserAnswer Run(const vortan::ui::FolderBrowserRequest& request) override {
        ownerHidden = IsWindow(request.owner) && !IsWindowVisible(request.owner);
        title = request.title;
        preselection = vortan::win::GetWindowTextString(
            GetDlgItem(request.browser, vortan::ui::kFolderBrowserSelectionId));
        for (const auto& move : moves) {
            request.selectionChanged(move);
            statuses.push_back(vortan::win::GetWindowTextString(
                GetDlgItem(request.browser, vortan::ui::kFolderBrowserStatusId)));
        }
        return answer;
    }

    std::vector<std::optional<std::string>> moves;
    vortan::ui::FolderBrowserAnswer answer;
    bool ownerHidden = false;
    std::string title;
    std::string preselection;
    std::vector<std::string> statuses;
};

} // namespace

TEST(CSelectFileDlg, ResultAndListFollowTheBrowse) {
    const TempDir dir;
    const std::string a = dir.WriteFile("a.txt", "a");
    const std::string b = dir.WriteFile("b.txt", "b");
    const std::string c = dir / "c.txt"; // chosen, not there: still listed
    std::vector<std::string> tooMany;
    for (int i = 0; i < 120; ++i)
        tooMany.push_back(dir / ("a-name-long-enough-to-fill-the-buffer-" + std::to_string(i)));
    const std::vector<std::string> kept{"/kept/x.ini"};
    const struct {
        const char* what;
        DWORD extraFlags;
        DWORD controlFlags;
        std::optional<FileDialogAnswer> file;
        std::optional<vortan::ui::FolderBrowserAnswer> folder;
        INT_PTR result;
        std::vector<std::string> list;
        std::size_t fileDialogs, folderBrowsers, messages;
    } cases[] = {
        {"multiple selection by the extra flag",
         0x200,
         FileMode | OpenDialog,
         FileDialogAnswer{true, {a, b}, 0},
         {},
         IDOK,
         {a, b},
         1,
         0,
         0},
        {"multiple selection by the control flag",
         0,
         FileMode | MultipleFiles | OpenDialog,
         FileDialogAnswer{true, {b, a, c}, 0},
         {},
         IDOK,
         {b, a, c},
         1,
         0,
         0},
        {"cancelled", 0x200, FileMode, FileDialogAnswer{}, {}, IDCANCEL, kept, 1, 0, 0},
        {"selection larger than the buffer",
         0x200,
         FileMode,
         FileDialogAnswer{true, tooMany, 0},
         {},
         IDCANCEL,
         kept,
         1,
         0,
         1},
        {"folder mode",
         0,
         FolderMode,
         {},
         vortan::ui::FolderBrowserAnswer{true, dir.Path()},
         IDCANCEL,
         {},
         0,
         1,
         0},
        {"neither mode", 0x200, 0, {}, {}, IDCANCEL, kept, 0, 0, 1},
        {"both modes", 0, FileMode | FolderMode, {}, {}, IDCANCEL, kept, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSelectionServices desktop;
        RecordingMessageBoxes boxes;
        if (c.file)
            desktop.fileAnswers.push_back(*c.file);
        if (c.folder)
            desktop.folderAnswers.push_back(*c.folder);
        CFileList list;
        list.AddFile(kept[0], 0);
        CSelectFileDlg dlg(nullptr, "", "", "", c.extraFlags, c.controlFlags, list);
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(Paths(list), c.list);
        EXPECT_EQ(desktop.fileRequests.size(), c.fileDialogs);
        EXPECT_EQ(desktop.folderTitles.size(), c.folderBrowsers);
        EXPECT_EQ(boxes.shown.size(), c.messages);
    }
}

TEST(CSelectFileDlg, StartsAtAnExistingInitialDirectoryWithTheProfilesTexts) {
    const TempDir dir;
    const std::string profile = dir.WriteFile("p.ini", "[S]\n5025=Lesen als\n5032=&Nehmen\n");
    const std::string file = dir.WriteFile("f.ini", "f");
    const struct {
        const char* what;
        const char* section;
        std::string initial;
        std::string shownDirectory;
        std::string shownName;
        std::string title;
        std::string ok;
    } cases[] = {
        {"existing folder, profile texts", "S", dir.Path(), dir.Path(), "b", "Lesen als",
         "&Nehmen"},
        {"existing file is passed on", "", file, file, "b", kBuiltInTitle, "&Schreiben"},
        {"missing folder: default place", "S", dir / "gone", "", "", "Lesen als", "&Nehmen"},
        {"no initial directory", "", "", "", "", kBuiltInTitle, "&Schreiben"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSelectionServices desktop;
        CFileList list;
        CSelectFileDlg dlg(nullptr, profile.c_str(), c.section, c.initial.c_str(), 0, FileMode,
                           list);
        dlg.SetFileName("b");
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        ASSERT_EQ(desktop.fileRequests.size(), 1u);
        const auto& shown = desktop.fileRequests[0];
        EXPECT_EQ(shown.initialDirectory, c.shownDirectory);
        EXPECT_EQ(shown.fileName, c.shownName);
        EXPECT_EQ(shown.title, c.title);
        EXPECT_EQ(shown.okText, c.ok);
    }
}

TEST(CSelectFileDlg, SaveStyleSelectionHandsOneFullPathWhetherOrNotItExists) {
    const TempDir dir;
    const std::string existing = dir.WriteFile("old.ini", "old");
    const struct {
        std::string answer;
        std::string listed;
    } cases[] = {{dir / "new", dir / "new.ini"}, {existing, existing}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        FakeSelectionServices desktop;
        desktop.fileAnswers.push_back({true, {c.answer, dir / "second.ini"}, 0});
        CFileList list;
        CSelectFileDlg dlg(nullptr, "", "SAVEAS_SECTION", dir.Path().c_str(), 0x2802, 0x479, list);
        dlg.SetDefaultExtension("..ini");
        dlg.SetFileName("b");
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(Paths(list), std::vector<std::string>{c.listed});
        ASSERT_EQ(desktop.fileRequests.size(), 1u);
        const auto& shown = desktop.fileRequests[0];
        EXPECT_TRUE(shown.save);
        EXPECT_EQ(shown.flags & 0x2A02, 0x2802u); // no multiple selection
        EXPECT_EQ(shown.defaultExtension, "ini");
        EXPECT_EQ(shown.fileName, "b");
    }
}

TEST(CSelectDirectory, ChoosesAFolderFromAnInvisibleHost) {
    const TempDir dir;
    const std::string sub = dir.MakeDir("sub");
    const std::string profile = dir.WriteFile("p.ini", "[S]\n5024=Verzeichnis wählen\n");
    const struct {
        const char* what;
        const char* section;
        std::string text;
        std::vector<std::optional<std::string>> moves;
        vortan::ui::FolderBrowserAnswer answer;
        std::string title, preselection;
        std::vector<std::string> statuses;
        INT_PTR result;
        std::string directory;
    } cases[] = {
        {"confirmed, path as given",
         "S",
         dir.Path(),
         {"/", std::nullopt, sub + "/"},
         {true, sub + "/"},
         "Verzeichnis wählen",
         dir.Path(),
         {"/", "/", sub + "/"},
         IDOK,
         sub + "/"},
        {"no title text, missing folder",
         "T",
         dir / "gone",
         {sub},
         {true, sub},
         "",
         "",
         {sub},
         IDOK,
         sub},
        {"relative text", "S", "sub", {}, {true, sub}, "Verzeichnis wählen", "", {}, IDOK, sub},
        {"cancelled", "S", "", {sub}, {false, sub}, "Verzeichnis wählen", "", {sub}, IDCANCEL, ""},
        {"item without a path",
         "S",
         "",
         {},
         {true, std::nullopt},
         "Verzeichnis wählen",
         "",
         {},
         IDCANCEL,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MovingFolderBrowser browser;
        browser.moves = c.moves;
        browser.answer = c.answer;
        const vortan::ui::SelectionServicesScope scope(nullptr, &browser);
        const vortan::test::ScopedCurrentDir here(dir.Path());
        CSelectDirectory dlg(nullptr, profile.c_str(), c.section, c.text.c_str());
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(dlg.GetDirectory(), c.directory);
        EXPECT_EQ(browser.title, c.title);
        EXPECT_EQ(browser.preselection, c.preselection);
        EXPECT_EQ(browser.statuses, c.statuses);
        EXPECT_TRUE(browser.ownerHidden); // only the browser is seen
    }
}
