#include "platform/fs/FileStatus.h"

#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/fs/FileApi.h"
#include "platform/fs/Path.h"
#include "support/TempDir.h"

using vortan::fs::FileExists;
using vortan::fs::GetFileStatus;
using vortan::test::TempDir;

TEST(GetFileStatus, CreationTimeIsTheBirthTimeElseTheModificationTime) {
    TempDir dir;
    const std::string path = dir.WriteFile("abc.txt", "abc");
    struct statx birth {};
    ASSERT_EQ(statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &birth), 0);
    const bool hasBirth = (birth.stx_mask & STATX_BTIME) != 0;
    if (hasBirth)
        sleep(1); // so that the change time below differs from the birth time

    // Set the modification time back a day: the change time becomes now.
    const std::int64_t dayAgo = std::time(nullptr) - 86400;
    const timespec times[2] = {{dayAgo, 0}, {dayAgo, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    const auto status = GetFileStatus(path);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->size, 3u);
    EXPECT_EQ(status->creationTime, hasBirth ? birth.stx_btime.tv_sec : dayAgo);

    EXPECT_TRUE(GetFileStatus(dir.Path()).has_value()); // directories have a status too
}

TEST(GetFileStatus, ReportsSizesBeyondFourGigabytes) {
    TempDir dir;
    const std::string path = dir / "sparse.bin";
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    const off_t size = (off_t{5} << 30) + 7;
    const int rc = ftruncate(fd, size);
    close(fd);
    ASSERT_EQ(rc, 0);

    const auto status = GetFileStatus(path);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->size, static_cast<std::uint64_t>(size));
}

TEST(GetFileStatus, FailsForPathsThatNameNoFile) {
    TempDir dir;
    const std::string existing = dir.WriteFile("a.txt", "x");
    EXPECT_EQ(GetFileStatus(dir / "missing.txt"), std::nullopt);
    EXPECT_EQ(GetFileStatus(""), std::nullopt);
    // The part before a NUL names a file, but the whole path does not.
    EXPECT_EQ(GetFileStatus(existing + std::string("\0x", 2)), std::nullopt);
    EXPECT_EQ(GetFileStatus(std::string(vortan::fs::kMaxPath + 10, '/')), std::nullopt);
}

TEST(FileExists, TestsExistenceOnly) {
    TempDir dir;
    const std::string file = dir.WriteFile("a.txt", "x");
    const std::string locked = dir.WriteFile("locked.txt", "x");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);

    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(locked)); // no access rights needed
    EXPECT_TRUE(FileExists(dir.Path()));
    EXPECT_TRUE(FileExists(dir.Path() + "//a.txt"));
    EXPECT_FALSE(FileExists(dir / "b.txt"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(file + std::string("\0", 1)));
}
