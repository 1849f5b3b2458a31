#include <array>
#include <shlobj.h>
#include <string>
#include <tuple>
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/fs/FileSearch.h"
#include "platform/fs/FileStatus.h"
#include "platform/fs/LocalTime.h"
#include "platform/fs/Path.h"
#include "support/TempDir.h"
#include "vortan/com/ComPtr.h"

using namespace vortan::fs;

TEST(PathWin32, DriveLettersAndNetworkPaths) {
    // A path, its parts as drive|directory|name|extension, whether it is absolute.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"C:\\data\\a.txt", "C:|\\data\\|a|.txt", true},
        {"c:/", "c:|/||", true}, // a drive root
        {"C:a.txt", "C:||a|.txt", false},
        {"\\data\\a.txt", "|\\data\\|a|.txt", false},
        {"\\\\server\\share\\a.txt", "|\\\\server\\share\\|a|.txt", true},
        {"//server/share", "|//server/|share|", true},
        {"\\\\.\\COM1", "|\\\\.\\|COM1|", false},
    };
    for (const auto& [path, parts, absolute] : cases) {
        const PathParts p = SplitPath(path);
        EXPECT_EQ(p.drive + "|" + p.directory + "|" + p.name + "|" + p.extension, parts);
        EXPECT_EQ(IsAbsolutePath(path), absolute) << path;
    }
}

TEST(PathWin32, SeparatorsDrivesAndNamesInADirectory) {
    // A path, its last separator, whether it begins with a drive, whether it is a drive root,
    // whether it stays in the directory it is joined to.
    const std::tuple<std::string, std::size_t, bool, bool, bool> cases[] = {
        {"a.txt", std::string::npos, false, false, true},
        {"C:\\", 2, true, true, false},
        {"d:/", 2, true, true, false},
        {"C:\\data", 2, true, false, false},
        {"C:data", std::string::npos, true, false, false}, // a drive's current directory
        {"C:\\data/x\\", 9, true, false, false},
        {"..\\a.txt", 2, false, false, false},
        {"../a.txt", 2, false, false, false},
        {"..", std::string::npos, false, false, false},
        {"a.txt:stream", std::string::npos, false, false, false},
        {"\\\\server\\share", 8, false, false, false},
        {"/", 0, false, false, false},
    };
    for (const auto& [path, last, drive, root, inDirectory] : cases) {
        EXPECT_EQ(FindLastSeparator(path), last) << path;
        EXPECT_EQ(BeginsWithDrive(path), drive) << path;
        EXPECT_EQ(IsDriveRoot(path), root) << path;
        EXPECT_EQ(IsNameInDirectory(path), inDirectory) << path;
    }
    EXPECT_EQ(JoinPath("D:\\out", "a.txt"), "D:\\out\\a.txt");
    EXPECT_EQ(JoinPath("D:\\out\\", "a.txt"), "D:\\out\\\\a.txt"); // the system folds it
}

TEST(FileStatusWin32, CreationTimeAndLocalTime) {
    const vortan::test::TempDir dir;
    const std::string path = dir.WriteFile("a.txt", "abc");
    FILETIME created{}, written{}, kept{};
    SystemTimeToFileTime(std::array{SYSTEMTIME{2009, 3, 4, 5, 7, 8, 9, 500}}.data(), &created);
    SystemTimeToFileTime(std::array{SYSTEMTIME{2009, 3, 5, 6, 7, 8, 9, 0}}.data(), &written);
    const HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(SetFileTime(file, &created, nullptr, &written));
    GetFileTime(file, &kept, nullptr, nullptr);
    CloseHandle(file);
    // Wine keeps no creation time on a POSIX file system and reports the modification time.
    const bool separate = CompareFileTime(&kept, &written) != 0;
    EXPECT_EQ(GetFileStatus(path)->creationTime, separate ? 1236236889 : 1236323289);

    // The test runs with TZ=Asia/Tokyo, UTC+9 all year.
    EXPECT_EQ(ToLocalTime(1236236889)->hour, 16);
    EXPECT_EQ(ToLocalTime(-11644473601), std::nullopt); // before 1601
}

TEST(ReadShortcutTargetWin32, ReadsTheTargetAShellLinkStores) {
    const vortan::test::TempDir dir;
    const std::string target = dir.WriteFile("a.txt", "a");
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        vortan::com::ComPtr<IShellLinkA> link;
        vortan::com::ComPtr<IPersistFile> file;
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         link.OutVoid());
        link->SetPath(target.c_str());
        link->QueryInterface(IID_IPersistFile, file.OutVoid());
        const std::string path = dir / "a.lnk";
        ASSERT_EQ(file->Save(std::wstring(path.begin(), path.end()).c_str(), TRUE), S_OK);
    }
    CoUninitialize();
    EXPECT_EQ(ReadShortcutTarget(dir / "a.lnk"), FullPath(target));
    EXPECT_EQ(ReadShortcutTarget(target), std::nullopt); // no link
    ASSERT_TRUE(DeleteFileA(target.c_str()));
    EXPECT_EQ(ReadShortcutTarget(dir / "a.lnk"), std::nullopt); // dangling
}
