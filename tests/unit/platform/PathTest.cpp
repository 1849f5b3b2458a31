#include "platform/fs/Path.h"

#include <string>

#include <gtest/gtest.h>

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
        {"", "", "", ""},
        {"a.b.c", "", "a.b", ".c"},
        {"a.", "", "a", "."},
        {"d.x/file", "d.x/", "file", ""},
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

TEST(IsUsablePath, RejectsNulAndOverlongPaths) {
    EXPECT_TRUE(vortan::fs::IsUsablePath("/tmp/a"));
    EXPECT_TRUE(vortan::fs::IsUsablePath(std::string(kMaxPath - 1, 'a')));
    EXPECT_FALSE(vortan::fs::IsUsablePath(std::string(kMaxPath, 'a')));
    EXPECT_FALSE(vortan::fs::IsUsablePath(std::string("/tmp/a\0b", 8)));
}
