#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/afx/InvalidArgException.h"
#include "platform/afx/NotSupportedException.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ShellApi.h"
#include "selection/FECFileDialog.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"
#include "unit/selection/SelectionFixture.h"

using vortan::test::SelectionHost;
using vortan::test::TempDir;
using Paths = std::vector<std::string>;

namespace {

TEST(FileEditCtrlTest, TextBecomesFullPathsByMode) {
    const std::string tooLong = "/" + std::string(5000, 'a') + ".txt";
    const struct {
        FileEditFlags flags;
        std::string text;
        Paths expected;
    } cases[] = {
        {FileMode | MultipleFiles,
         "  ;/data/a.txt ; b.txt;;c.txt  ",
         {"/data/a.txt", "/data/b.txt", "/data/c.txt"}},
        {FileMode, "  ;/data/a.txt ; b.txt;;c.txt  ", {"/data/a.txt"}},
        {FileMode | MultipleFiles,
         "/data/a.txt;/x/y.txt; sub/../c.txt;\\\\srv\\s\\z.txt",
         {"/data/a.txt", "/x/y.txt", "/data/c.txt", "\\\\srv\\s\\z.txt"}},
        {FolderMode, "/", {"/"}},
        {FolderMode | TrailingBackslash, "/tmp", {"/tmp/"}},
        {FolderMode, " /tmp/ ; /other", {"/tmp"}},
        {FileMode | MultipleFiles, "", {}},
        // A first entry naming only a folder lists nothing but still anchors the others.
        {FileMode | MultipleFiles, "/data/; b.txt", {"/data/b.txt"}},
        {FileMode, tooLong, {tooLong}},
    };
    for (const auto& c : cases) {
        SelectionHost host(c.flags);
        host.SetText(c.text);
        EXPECT_EQ(host.Paths(), c.expected) << c.text;
        POSITION past = PositionFromIndex(c.expected.size() + 1);
        EXPECT_THROW(host.control.GetNextPathName(past), CInvalidArgException) << c.text;
    }
}

TEST(FileEditCtrlTest, ShortcutsAndWildcardsOnDisk) {
    const TempDir dir;
    const std::string target = dir.WriteFile("target.txt", "t");
    ASSERT_EQ(symlink(target.c_str(), (dir / "sc.lnk").c_str()), 0);
    ASSERT_EQ(symlink(target.c_str(), (dir / "SC2.LNK").c_str()), 0);
    ASSERT_EQ(symlink((dir / "gone.txt").c_str(), (dir / "dangling.lnk").c_str()), 0);
    dir.WriteFile("plain.lnk", "not a link");
    const std::string text = dir / "sc.lnk; SC2.LNK; dangling.lnk; plain.lnk";
    {
        SelectionHost host(FileMode | MultipleFiles);
        host.SetText(text);
        EXPECT_EQ(host.Paths(), (Paths{target, target, dir / "dangling.lnk", dir / "plain.lnk"}));
    }
    {
        SelectionHost host(FileMode | MultipleFiles | KeepShortcuts);
        host.SetText(text);
        EXPECT_EQ(host.Paths(), (Paths{dir / "sc.lnk", dir / "SC2.LNK", dir / "dangling.lnk",
                                       dir / "plain.lnk"}));
    }

    const TempDir wild;
    for (const char* name : {"c.txt", "a.txt", "b.txt", "other.ini"})
        wild.WriteFile(name, "x");
    wild.MakeDir("x.txt");
    const struct {
        FileEditFlags flags;
        Paths expected;
    } cases[] = {
        {FileMode | MultipleFiles | ExpandWildcards,
         {wild / "a.txt", wild / "b.txt", wild / "c.txt"}},
        {FileMode | ExpandWildcards, {wild / "a.txt"}},
        {FileMode | MultipleFiles, {wild / "*.txt"}},
    };
    for (const auto& c : cases) {
        SelectionHost host(c.flags);
        host.SetText(wild / "*.txt");
        EXPECT_EQ(host.Paths(), c.expected);
    }
}

TEST(FileEditCtrlTest, DroppedFilesShareTheFirstFolder) {
    const Paths dropped{"/d/a.txt", "/d/b.txt", "/d/c.txt", "/e/x.txt"};
    const struct {
        FileEditFlags flags;
        std::string text;
    } cases[] = {
        {FileMode | MultipleFiles, "/d/a.txt; b.txt; c.txt; /e/x.txt"},
        {FileMode, "/d/a.txt"},
        {FolderMode, "/d/a.txt"},
    };
    for (const auto& c : cases) {
        SelectionHost host(c.flags);
        SendMessage(host.control.GetSafeHwnd(), WM_DROPFILES,
                    reinterpret_cast<WPARAM>(vortan::ui::CreateDrop(dropped)), 0);
        EXPECT_EQ(host.Text(), c.text);
        EXPECT_EQ(GetFocus(), host.control.GetSafeHwnd());
    }
}

TEST(FileEditCtrlTest, FlagsNeedExactlyOneMode) {
    SelectionHost host(FileMode | 0x400);
    EXPECT_EQ(host.control.GetFlags(), FileMode | 0x400u); // unknown bits are kept
    for (const FileEditFlags refused : {FileMode | FolderMode, FileEditFlags{0}, MultipleFiles}) {
        host.control.GetStartPosition(); // clears the modified mark
        EXPECT_FALSE(host.control.SetFlags(refused));
        EXPECT_EQ(host.control.GetFlags(), FileMode | 0x400u);
        EXPECT_NE(host.control.GetFileDialog(), nullptr);
        EXPECT_TRUE(host.control.IsModified());
    }
    // The dialog's own flags show through, as a host sets them.
    host.control.GetOpenFileName()->Flags |= OFN_ALLOWMULTISELECT | OFN_NODEREFERENCELINKS;
    EXPECT_EQ(host.control.GetFlags(), FileMode | MultipleFiles | KeepShortcuts | 0x400u);
    EXPECT_TRUE(host.control.SetFlags(FolderMode));
    EXPECT_EQ(host.control.GetFileDialog(), nullptr);
    ASSERT_NE(host.control.GetBrowseInfo(), nullptr);
    EXPECT_EQ(host.control.GetBrowseInfo()->ulFlags, BIF_RETURNONLYFSDIRS);
    EXPECT_EQ(host.control.GetOpenFileName(), nullptr);

    // Create leaves no window behind when it refuses the flags; a self-deleting control goes
    // with its window (the leak check would see it stay).
    CFileEditCtrl refused;
    EXPECT_FALSE(refused.Create(FileMode | FolderMode, 0, "", WS_BORDER, RECT{0, 0, 90, 14},
                                host.hwnd, 1009));
    EXPECT_EQ(refused.GetSafeHwnd(), nullptr);
    EXPECT_EQ(GetDlgItem(host.hwnd, 1009), nullptr);
    auto owned = std::make_unique<CFileEditCtrl>(TRUE);
    ASSERT_TRUE(
        owned->Create(FolderMode, 0, "/tmp", WS_BORDER, RECT{0, 0, 90, 14}, host.hwnd, 1010));
    CFileEditCtrl* byWindow = owned.release();
    EXPECT_EQ(CFileEditCtrl::FromHandle(GetDlgItem(host.hwnd, 1010)), byWindow);
    DestroyWindow(GetDlgItem(host.hwnd, 1010));
}

TEST(FileEditCtrlTest, ValidationNamesTheFirstBadEntry) {
    const TempDir dir;
    const std::string file = dir.WriteFile("a.txt", "x");
    const std::string folder = dir.MakeDir("sub");
    const std::string profile = dir.WriteFile("texts.ini", "[S]\n5029=%n%s%s\n");
    const struct {
        FileEditFlags flags;
        std::string text;
        std::string profile;
        std::string message; // empty: the entries pass
    } cases[] = {
        {FileMode, "", "", "Die Datei existiert nicht."},
        {FileMode | MultipleFiles, file + "; missing.txt", "",
         dir / "missing.txt existiert nicht."},
        {FileMode, dir / "missing.txt", profile, "%n" + (dir / "missing.txt") + "%s"},
        {FileMode, folder, "", folder + " ist keine Datei."},
        {FolderMode, file, "", file + " ist kein Verzeichnis."},
        {FileMode | MultipleFiles, file + ";" + file, "", ""},
        {FolderMode, folder, "", ""},
    };
    for (const auto& c : cases) {
        vortan::test::RecordingMessageBoxes boxes;
        SelectionHost host(c.flags);
        host.control.SetProfile(c.profile, "S");
        host.SetText(c.text);
        CDataExchange save(host.hwnd, TRUE);
        if (c.message.empty()) {
            EXPECT_NO_THROW(DDV_FileEditCtrl(&save, 1008));
            EXPECT_TRUE(boxes.shown.empty());
            continue;
        }
        EXPECT_THROW(DDV_FileEditCtrl(&save, 1008), CUserException) << c.text;
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.message);
        EXPECT_EQ(boxes.shown[0].type, MB_OK);
    }
    SelectionHost host(FileMode);
    CDataExchange save(host.hwnd, TRUE);
    EXPECT_THROW(DDV_FileEditCtrl(&save, 1), CNotSupportedException);
    CFileEditCtrl unbound;
    EXPECT_THROW(DDX_FileEditCtrl(&save, 1008, unbound, FileMode), CNotSupportedException);
}

} // namespace
