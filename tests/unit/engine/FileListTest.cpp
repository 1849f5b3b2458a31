#include "engine/FileList.h"

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fs/Path.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using vortan::test::ScopedCurrentDir;
using vortan::test::TempDir;

namespace {

std::vector<std::string> Names(const CFileList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.push_back(list.GetEntry(i)->m_strName);
    return names;
}

} // namespace

TEST(CFileList, AddFileListSkipsEmptyPiecesAndKeepsBlanks) {
    TempDir dir;
    ScopedCurrentDir cwd(dir.Path()); // none of the names exists here
    struct Case {
        std::string text;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {";a.txt;;b.txt;", {"a.txt", "b.txt"}},
        {";;", {}},
        {" ;*.txt", {" ", "*.txt"}},
    };
    for (const Case& c : cases) {
        CFileList list;
        EXPECT_EQ(list.AddFileList(c.text), c.names.empty() ? FALSE : TRUE) << c.text;
        EXPECT_EQ(Names(list), c.names) << c.text;
    }

    CFileList list;
    ASSERT_EQ(list.AddFileList("x"), TRUE);
    EXPECT_EQ(list.AddFileList(";"), TRUE); // the list still holds an entry
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(CFileList, AddFileSplitsFoundPathsAndKeepsMissingOnesWhole) {
    TempDir dir;
    dir.MakeDir("d");
    const std::string path = dir.WriteFile("d/abc.txt", "abc");
    CFileList list;
    EXPECT_EQ(list.AddFile(path, TRUE), 0);
    const FileListEntry* e = list.GetEntry(0);
    EXPECT_EQ(e->m_strDirectory, dir.Path() + "/d/");
    EXPECT_EQ(e->m_strName, "abc.txt");
    EXPECT_EQ(e->m_strTargetName, "abc.txt");
    EXPECT_EQ(e->m_strSize, "3");

    // Relative names are found from the current directory and keep no directory.
    ScopedCurrentDir cwd(dir / "d");
    EXPECT_EQ(list.AddFile("abc.txt", 0), 1);
    EXPECT_EQ(list.GetEntry(1)->m_strDirectory, "");
    EXPECT_EQ(list.GetEntry(1)->m_strSize, "3");

    const std::string missing = dir / "x/y.txt";
    EXPECT_EQ(list.AddFile(missing, 1), 2);
    EXPECT_EQ(list.GetEntry(2)->m_strName, missing);
    EXPECT_EQ(list.GetEntry(2)->m_strTargetName, missing);
    EXPECT_EQ(list.GetEntry(2)->m_strSize, "");
    EXPECT_EQ(list.AddFile("", 0), -1);
    EXPECT_EQ(list.GetCount(), 3);
}

TEST(CFileList, SizeTextIsTheLowWordAsSignedNumber) {
    TempDir dir;
    struct Case {
        off_t size;
        std::string text;
    };
    const Case cases[] = {
        {off_t{3} << 30, "-1073741824"},
        {(off_t{4} << 30) + 5, "5"},
        {(off_t{2} << 30) - 1, "2147483647"},
    };
    CFileList list;
    for (const Case& c : cases) {
        const std::string path = dir / ("sparse" + std::to_string(list.GetCount()));
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        const int rc = ftruncate(fd, c.size);
        close(fd);
        ASSERT_EQ(rc, 0);
        const int index = list.AddFile(path, 0);
        EXPECT_EQ(list.GetEntry(index)->m_strSize, c.text);
    }
    // -1073741824 + 5 + 2147483647, modulo 2^32.
    EXPECT_EQ(list.GetTotalSize(), 1073741828u);
}

TEST(CFileList, GetTotalSizeReadsLeadingNumbersAndWraps) {
    struct Case {
        std::vector<std::string> sizes;
        DWORD total;
    };
    const Case cases[] = {
        {{"12abc", "abc", ""}, 12},
        {{"-1"}, 0xFFFFFFFFu},
        {{"2147483647", "2147483647", "2"}, 0},
        {{"4294967296"}, 0}, // wider than 32 bits: only the low word counts
    };
    for (const Case& c : cases) {
        CFileList list;
        for (const std::string& size : c.sizes)
            list.GetEntry(list.AddFile("no such file", 0))->m_strSize = size;
        EXPECT_EQ(list.GetTotalSize(), c.total) << ::testing::PrintToString(c.sizes);
    }
}

TEST(CFileList, TargetExistsComposesDirectoryAndName) {
    TempDir dir;
    ScopedCurrentDir cwd(dir.MakeDir("empty"));
    dir.WriteFile("a.txt", "a");
    dir.MakeDir("keep");
    dir.WriteFile("keep/b.bin", "b");

    CFileList list;
    ASSERT_EQ(list.AddFileList("a.txt;b.txt"), TRUE);
    EXPECT_EQ(list.SetTargetDirectory(dir.Path()), TRUE);

    std::string path;
    FileListEntry* pEntry = nullptr;
    EXPECT_EQ(list.TargetExists(0, path, &pEntry), TRUE);
    EXPECT_EQ(path, dir / "a.txt");
    EXPECT_EQ(pEntry, list.GetEntry(0));

    EXPECT_EQ(list.TargetExists(1, path, &pEntry), FALSE);
    EXPECT_EQ(path, dir / "b.txt");
    EXPECT_EQ(pEntry, list.GetEntry(1));

    // A separator given with the directory doubles; the file is still found.
    list.SetTargetDirectory(dir.Path() + "/");
    EXPECT_EQ(list.TargetExists(0, path, &pEntry), TRUE);
    EXPECT_EQ(path, dir.Path() + "//a.txt");

    list.SetTargetPath(1, dir / "keep/b.bin");
    EXPECT_EQ(list.GetEntry(1)->m_strTargetDirectory, dir / "keep/");
    EXPECT_EQ(list.GetEntry(1)->m_strTargetName, "b.bin");
    EXPECT_EQ(list.TargetExists(1, path, &pEntry), TRUE);
    EXPECT_EQ(path, dir.Path() + "/keep//b.bin");
    // "..", or a name that reaches an existing file through a separator, is no file of the
    // directory that a read could replace.
    for (const char* name : {"..", "../a.txt", "./b.bin", "../keep/b.bin"}) {
        list.GetEntry(1)->m_strTargetName = name;
        EXPECT_EQ(list.TargetExists(1, path, &pEntry), FALSE) << name;
    }

    // Past the end: nothing changes, nothing is found.
    list.SetTargetPath(2, "/x/y");
    path = "untouched";
    pEntry = list.GetEntry(0);
    EXPECT_EQ(list.TargetExists(2, path, &pEntry), FALSE);
    EXPECT_EQ(path, "untouched");
    EXPECT_EQ(pEntry, nullptr);
    EXPECT_EQ(list.TargetExists(0, path, nullptr), TRUE);
}

TEST(CFileList, TargetPathsTooLongForTheSystemAreNotFound) {
    TempDir dir;
    dir.WriteFile("a.txt", "a");
    CFileList list;
    list.AddFile("a.txt", 0);
    // Reported missing, handed out whole rather than cut to the existing file.
    const std::string longDir = dir.Path() + std::string(vortan::fs::kMaxPath, '/');
    list.SetTargetDirectory(longDir);
    std::string path;
    EXPECT_EQ(list.TargetExists(0, path, nullptr), FALSE);
    EXPECT_EQ(path, longDir + "/a.txt");
}

TEST(CFileList, CheckShortNamesAppliesTheEightThreeRule) {
    TempDir dir;
    ScopedCurrentDir cwd(dir.Path());
    struct Case {
        std::string name;
        bool conforms;
        std::string reported;
    };
    const Case cases[] = {
        {"ABCDEFGH.TXT", true, ""},
        {"AB.C", true, ""},
        {"ABCD", true, ""},
        {".abc", true, ""},
        // The extension starts at the last dot, a leading one too.
        {".abcde", false, ".abcde"},
        {"ABCDEFGHI.TXT", false, "ABCDEFGHI.TXT"},
        {"A.TEXT", false, "A.TEXT"},
        {"A.B", false, "A.B"},
        {"ABC", false, "ABC"},
        {std::string(300, 'N') + ".TXT", false, std::string(300, 'N') + ".TXT"}, // never cut
    };
    for (const Case& c : cases) {
        CFileList list;
        list.AddFile(c.name, 0);
        std::string reported = "untouched";
        EXPECT_EQ(list.CheckShortNames(reported), c.conforms ? TRUE : FALSE) << c.name;
        EXPECT_EQ(reported, c.conforms ? "untouched" : c.reported) << c.name;
    }

    // A found file is judged by its name, whatever its directory.
    dir.MakeDir("long directory name");
    const std::string found = dir.WriteFile("long directory name/OK.TXT", "x");
    CFileList list;
    list.AddFileList(found + ";LONGNAME1.TXT;ABC");
    std::string reported;
    EXPECT_EQ(list.CheckShortNames(reported), FALSE);
    EXPECT_EQ(reported, "LONGNAME1.TXT"); // the first offender, not the last
}
