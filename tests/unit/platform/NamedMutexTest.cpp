#include "platform/win/NamedMutex.h"

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/win/WinBase.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

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

// Holding, probing from this process, refusing a holder in another process and releasing
// are shown by the progress window's tests; a holder that crashes is not.
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

TEST(NamedMutex, WithoutARuntimeDirectoryTheLockFileIsInAPrivateOne) {
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
