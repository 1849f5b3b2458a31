#include "platform/win/NamedMutex.h"
#include "platform/win/WinBase.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs CreateMutexA in a child process, which then holds the mutex until it is killed.
class ChildHolder final {
public:
    explicit ChildHolder(const char* name) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
            const char answer = mutex != nullptr && GetLastError() == ERROR_SUCCESS ? '1' : '0';
            (void)!write(ready[1], &answer, 1);
            for (;;)
                pause();
        }
        close(ready[1]);
        EXPECT_EQ(read(ready[0], &answer, 1), 1);
        close(ready[0]);
    }
    ~ChildHolder() { Crash(); }
    ChildHolder(const ChildHolder&) = delete;
    ChildHolder& operator=(const ChildHolder&) = delete;

    // Ends the child without any cleanup of its own.
    void Crash() {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    char answer = 0;

private:
    pid_t m_pid = -1;
};

TEST(CreateMutexA, AnotherHolderMakesItExist) {
    vortan::test::TempDir dir;
    vortan::test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path());

    HANDLE first = CreateMutexA(nullptr, TRUE, "KELMORANTQmt1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    struct stat info {};
    EXPECT_EQ(stat((dir / "KELMORANTQmt1.lock").c_str(), &info), 0);

    // A second handle of this process: the mutex exists; the handle is real but not owning.
    HANDLE second = CreateMutexA(nullptr, TRUE, "KELMORANTQmt1");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReleaseMutex(second), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    EXPECT_EQ(CloseHandle(second), TRUE);

    // Another process cannot take it either, until the handle is closed.
    {
        ChildHolder child("KELMORANTQmt1");
        EXPECT_EQ(child.answer, '0');
    }
    EXPECT_EQ(CloseHandle(first), TRUE);
    EXPECT_EQ(CloseHandle(first), FALSE); // closed for good
    HANDLE again = CreateMutexA(nullptr, FALSE, "KELMORANTQmt1");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ReleaseMutex(again), TRUE);
    CloseHandle(again);
}

TEST(CreateMutexA, HolderInAnotherProcessUntilItCrashes) {
    vortan::test::TempDir dir;
    vortan::test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path());
    ChildHolder child("KELMORANTQmt2");
    ASSERT_EQ(child.answer, '1');

    HANDLE mine = CreateMutexA(nullptr, TRUE, "KELMORANTQmt2");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(mine);

    child.Crash();
    mine = CreateMutexA(nullptr, TRUE, "KELMORANTQmt2");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(mine);
}

TEST(CreateMutexA, RefusesNamesThatAreNoFileName) {
    for (const char* name : {static_cast<const char*>(nullptr), "", "a/b"}) {
        SCOPED_TRACE(name != nullptr ? name : "null");
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CreateMutexA(nullptr, TRUE, name), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
    }
}

TEST(NamedMutex, LockFileLivesInTheRuntimeDirectoryElseAPrivateOne) {
    {
        vortan::test::ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/77/");
        EXPECT_EQ(vortan::win::NamedMutex::LockPath("m"), "/run/user/77/m.lock");
    }
    vortan::test::ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(vortan::win::NamedMutex::LockPath("m"),
              "/tmp/vortan-" + std::to_string(geteuid()) + "/m.lock");
}

TEST(NamedMutex, APlantedLinkIsNotFollowed) {
    const vortan::test::TempDir dir;
    vortan::test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path());
    ASSERT_EQ(symlink((dir / "victim").c_str(), (dir / "m.lock").c_str()), 0);
    const vortan::win::NamedMutex mutex("m");
    EXPECT_FALSE(mutex.Valid());
    struct stat st {};
    EXPECT_NE(lstat((dir / "victim").c_str(), &st), 0); // nothing created through the link
}

} // namespace
