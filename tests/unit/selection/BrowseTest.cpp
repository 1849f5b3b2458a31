#include <gtest/gtest.h>

#include "platform/ui/MessageBox.h"
#include "selection/FECFileDialog.h"
#include "support/FakeSelectionServices.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"
#include "unit/selection/SelectionFixture.h"

using vortan::test::FakeSelectionServices;
using vortan::test::SelectionHost;
using vortan::test::TempDir;

namespace {

TEST(BrowseTest, FileDialogStartsFromTheText) {
    const TempDir dir;
    const std::string file = dir.WriteFile("a.txt", "x");
    const struct {
        std::string text;
        std::string initialDirectory;
        std::string fileName;
    } cases[] = {
        {file, dir.Path() + "/", "a.txt"},
        {dir.Path(), dir.Path() + "/", ""},
        {dir / "gone/deeper/x.txt", dir.Path() + "/", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        FakeSelectionServices desktop;
        SelectionHost host(FileMode);
        host.SetText(c.text);
        EXPECT_EQ(host.control.Browse(), FALSE);
        ASSERT_EQ(desktop.fileRequests.size(), 1u);
        const auto& shown = desktop.fileRequests[0];
        EXPECT_EQ(shown.initialDirectory, c.initialDirectory) << c.text;
        EXPECT_EQ(shown.fileName, c.fileName) << c.text;
        EXPECT_TRUE(shown.save); // without OpenDialog
        EXPECT_EQ(shown.title, "Dateien auf den Parametrierungsspeicher schreiben");
        EXPECT_EQ(shown.okText, "&Schreiben");
        EXPECT_EQ(shown.cancelText, "&Abbrechen");
        ASSERT_EQ(shown.filters.size(), 1u);
        EXPECT_EQ(shown.filters[0].pattern, "*.*");
        EXPECT_EQ(host.control.GetOpenFileName()->lpstrInitialDir, nullptr);
        EXPECT_EQ(host.Text(), c.text); // cancelled: unchanged
        EXPECT_EQ(host.notifications, std::vector<UINT>{NotifyPreBrowse});
        EXPECT_EQ(host.control.GetLastFileDialogResult(), IDCANCEL);
    }
}

TEST(BrowseTest, ConfirmedSelectionIsWrittenBack) {
    FakeSelectionServices desktop;
    desktop.fileAnswers.push_back({true, {"/data/a.txt", "/data/b.txt", "/data/c.txt"}, 0});
    SelectionHost host(FileMode | MultipleFiles | OpenDialog);
    EXPECT_EQ(host.control.Browse(), 0); // the post-browse reply
    EXPECT_EQ(host.Text(), "/data/a.txt; b.txt; c.txt");
    EXPECT_EQ(host.notifications, (std::vector<UINT>{NotifyPreBrowse, NotifyPostBrowse}));
    EXPECT_EQ(host.control.GetLastFileDialogResult(), IDOK);
    EXPECT_EQ(host.Paths(),
              (std::vector<std::string>{"/data/a.txt", "/data/b.txt", "/data/c.txt"}));
    EXPECT_FALSE(desktop.fileRequests.at(0).save);

    // The old-style dialog gets its button texts at WM_INITDIALOG instead.
    host.control.GetOpenFileName()->Flags &= ~OFN_EXPLORER;
    host.control.Browse();
    EXPECT_EQ(desktop.fileRequests.at(1).okText, "&Schreiben");
    EXPECT_EQ(desktop.fileRequests.at(1).cancelText, "&Abbrechen");

    // A host's own reply to the pre-browse notice keeps the dialog closed.
    host.preBrowseReply = 7;
    EXPECT_EQ(host.control.Browse(), 7);
    EXPECT_EQ(desktop.fileRequests.size(), 2u);
}

TEST(BrowseTest, FailedFileDialogsAreReported) {
    const TempDir dir;
    const std::string profile = dir.WriteFile("t.ini", "[S]\n5054=Zu viele Dateien\n5033=Nein\n");
    std::vector<char> small(20, '\0');
    const struct {
        vortan::ui::FileDialogAnswer answer;
        bool smallBuffer;
        std::string text;
        std::string caption;
    } cases[] = {
        {{true, {"/data/a-long-name.txt", "/data/b-long-name.txt"}, 0},
         true,
         "Zu viele Dateien",
         ""},
        {{false, {}, CDERR_DIALOGFAILURE},
         false,
         "Internal error: Errorcode: 65535",
         "Common dialog failed"},
        {{false, {}, 0}, false, "", ""},
    };
    for (const auto& c : cases) {
        FakeSelectionServices desktop;
        vortan::test::RecordingMessageBoxes boxes;
        desktop.fileAnswers.push_back(c.answer);
        SelectionHost host(FileMode | MultipleFiles);
        host.control.SetProfile(profile, "S");
        if (c.smallBuffer) {
            host.control.GetOpenFileName()->lpstrFile = small.data();
            host.control.GetOpenFileName()->nMaxFile = static_cast<DWORD>(small.size());
        }
        host.SetText("/data/old.txt");
        EXPECT_EQ(host.control.Browse(), FALSE);
        EXPECT_EQ(desktop.fileRequests.at(0).cancelText, "Nein");
        EXPECT_EQ(host.Text(), "/data/old.txt");
        EXPECT_EQ(host.control.GetLastFileDialogResult(), IDCANCEL);
        if (c.text.empty()) {
            EXPECT_TRUE(boxes.shown.empty());
            continue;
        }
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].caption, c.caption);
        EXPECT_EQ(boxes.shown[0].type, MB_ICONEXCLAMATION);
    }
}

TEST(BrowseTest, FolderBrowserPreselectsAndWritesBack) {
    const struct {
        FileEditFlags flags;
        std::string text;
        vortan::ui::FolderBrowserAnswer answer;
        std::string preselection;
        BOOL result;
        std::string written;
    } cases[] = {
        {FolderMode, "/tmp/", {true, "/var"}, "/tmp", TRUE, "/var"},
        {FolderMode, "/", {true, "/var"}, "/", TRUE, "/var"},
        {FolderMode, "\\\\srv\\share", {true, "/var"}, "", TRUE, "/var"},
        {FolderMode | TrailingBackslash, "/tmp", {true, "/tmp"}, "/tmp", TRUE, "/tmp/"},
        {FolderMode | TrailingBackslash, "", {true, "/"}, "", TRUE, "/"},
        {FolderMode, "/tmp", {true, std::nullopt}, "/tmp", FALSE, "/tmp"},
        {FolderMode, "/tmp", {false, std::nullopt}, "/tmp", FALSE, "/tmp"},
    };
    for (const auto& c : cases) {
        FakeSelectionServices desktop;
        desktop.folderAnswers.push_back(c.answer);
        SelectionHost host(c.flags);
        host.SetText(c.text);
        EXPECT_EQ(host.control.Browse(), c.result != FALSE ? 0 : FALSE) << c.text;
        ASSERT_EQ(desktop.folderPreselections.size(), 1u);
        EXPECT_EQ(desktop.folderPreselections[0], c.preselection) << c.text;
        EXPECT_EQ(host.Text(), c.written) << c.text;
        EXPECT_EQ(host.notifications.size(), c.result != FALSE ? 2u : 1u);
        EXPECT_EQ(host.control.GetLastFileDialogResult(), IDCANCEL);
    }
}

} // namespace
