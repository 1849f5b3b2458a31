#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/ScriptedUi.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using vortan::test::ReadLines;
using vortan::ui::ScriptedUi;
using vortan::ui::Transcript;

TEST(ScriptedUi, WantedWithAnswerFileOrWithoutDisplay) {
    struct Case {
        const char* answers;
        const char* display;
        const char* wayland;
        const char* platform;
        bool wanted;
    };
    const Case cases[] = {
        {"", ":0", "", "", false},
        {"", "", "wayland-0", "", false},
        {"/tmp/antworten.txt", ":0", "", "", true},
        {"", "", "", "", true},
        {"", ":0", "", "offscreen", true},
        {"", ":0", "", "xcb", false},
    };
    for (const Case& c : cases) {
        const vortan::test::ScopedEnv answers("VORTAN_ANSWERS", c.answers);
        const vortan::test::ScopedEnv display("DISPLAY", c.display);
        const vortan::test::ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland);
        const vortan::test::ScopedEnv platform("QT_QPA_PLATFORM", c.platform);
        EXPECT_EQ(ScriptedUi::Wanted(), c.wanted)
            << c.answers << "|" << c.display << "|" << c.wayland << "|" << c.platform;
    }
}

TEST(Transcript, LinesOfSeveralProcessesStayWhole) {
    const vortan::test::TempDir dir;
    const Transcript transcript(dir / "shared.jsonl");
    constexpr int kProcesses = 4;
    constexpr int kLines = 200;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const std::string line(4000, static_cast<char>('a' + p));
            bool ok = true;
            for (int i = 0; i < kLines; ++i)
                ok = transcript.Append(line) && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(status, 0);
    }
    const std::vector<std::string> lines = ReadLines(dir / "shared.jsonl");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kProcesses * kLines));
    for (const std::string& line : lines) {
        ASSERT_EQ(line.size(), 4000u);
        EXPECT_EQ(line.find_first_not_of(line.front()), std::string::npos);
    }
    EXPECT_FALSE(Transcript(dir / "kein/verzeichnis.jsonl").Append("x"));
    EXPECT_FALSE(Transcript().Append("x"));
}
