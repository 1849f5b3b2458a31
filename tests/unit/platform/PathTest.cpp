#include "platform/fs/Path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using vortan::fs::FullPath;
using vortan::fs::kMaxPath;
using vortan::fs::SplitPath;

TEST(SplitPath, SeparatesDirectoryNameAndExtension) {
    struct Case {
        std::string path, directory, name, extension;
    };
    const Case cases[] = {
        {"/data/a.txt", "/data/", "a", ".txt"},
        {"a.txt", "", "a", ".txt"},
        {"dir/", "dir/", "", ""},
        {"/", "/", "", ""},
        {"", "", "", ""},
        {"a.b.c", "", "a.b", ".c"},
        {"a.", "", "a", "."},
        {"d.x/file", "d.x/", "file", ""},
        {"/out//b.bin", "/out//", "b", ".bin"},
        {"C:\\x\\y.txt", "", "C:\\x\\y", ".txt"}, // a backslash is an ordinary byte here
        // The last dot starts the extension, a leading one too.
        {"/home/u/.profile", "/home/u/", "", ".profile"},
        {".bashrc.bak", "", ".bashrc", ".bak"},
        {"..", "", ".", "."},
        {"..x", "", ".", ".x"},
    };
    for (const Case& c : cases) {
        const vortan::fs::PathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.drive, "") << c.path;
        EXPECT_EQ(parts.directory, c.directory) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
        EXPECT_EQ(parts.extension, c.extension) << c.path;
        EXPECT_EQ(parts.drive + parts.directory + parts.name + parts.extension, c.path);
    }
}

TEST(FullPath, FoldsDotsAndSeparators) {
    const std::string cwd = std::filesystem::current_path().string();
    const std::string base = cwd == "/" ? "" : cwd;
    struct Case {
        std::string path, full;
    };
    const Case cases[] = {
        {"/", "/"},
        {"/a/b/../c", "/a/c"},
        {"/a//b/./", "/a/b/"},
        {"/../..", "/"},
        {"/a/..", "/"},
        {"/a/b/..", "/a"},
        {"x", base + "/x"},
        {"x/../y/./z.txt", base + "/y/z.txt"},
        {".", cwd},
        {"sub/", base + "/sub/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FullPath(c.path), std::optional<std::string>(c.full)) << c.path;
}

TEST(FullPath, RefusesWhatItCannotRepresent) {
    EXPECT_EQ(FullPath(""), std::nullopt);
    EXPECT_EQ(FullPath(std::string("/a\0b", 4)), std::nullopt);
    // The longest path the system takes passes; one byte more is refused, not cut.
    const std::string longest = "/" + std::string(kMaxPath - 2, 'a');
    EXPECT_EQ(FullPath(longest), std::optional<std::string>(longest));
    EXPECT_EQ(FullPath(longest + "b"), std::nullopt);
    // Folding happens before the limit applies.
    EXPECT_EQ(FullPath("/" + std::string(kMaxPath, 'a') + "/.."), std::optional<std::string>("/"));
}

TEST(IsUsablePath, RejectsNulAndOverlongPaths) {
    EXPECT_TRUE(vortan::fs::IsUsablePath("/tmp/a"));
    EXPECT_TRUE(vortan::fs::IsUsablePath(std::string(kMaxPath - 1, 'a')));
    EXPECT_FALSE(vortan::fs::IsUsablePath(std::string(kMaxPath, 'a')));
    EXPECT_FALSE(vortan::fs::IsUsablePath(std::string("/tmp/a\0b", 8)));
}
