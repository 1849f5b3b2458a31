#include "platform/ui/ScriptedUi.h"

#include "platform/fs/Path.h"
#include "platform/ui/SelectionServicesScope.h"

#include "platform/ui/JsonLine.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/UiServicesScope.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedDialog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vortan::resources::FindDialogTemplate;
using vortan::test::DrainQueue;
using vortan::test::ScriptedDialog;
using vortan::ui::AnswerScript;
using vortan::ui::ScriptedUi;
using vortan::ui::Transcript;
using vortan::ui::UiServicesScope;

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

std::string Pid() {
    return std::to_string(::getpid());
}

} // namespace

TEST(AnswerScript, ConsumesAnswersInOrderPerKind) {
    AnswerScript script = AnswerScript::Parse("# Antworten\n"
                                              "dialog 133 1014\n"
                                              "messagebox yes\n"
                                              "\n"
                                              "  dialog   0133  No  \r\n"
                                              "filedialog /tmp/mit Leerzeichen.ini\n"
                                              "dialog 100 ok\n"
                                              "messagebox 2\n"
                                              "dialog x 1\n"
                                              "messagebox Vielleicht\n");
    EXPECT_EQ(script.Remaining(), 7u);
    EXPECT_EQ(script.NextDialog(133), 1014);
    EXPECT_EQ(script.NextMessageBox(), IDYES);
    EXPECT_EQ(script.NextDialog(100), IDOK);
    EXPECT_EQ(script.NextDialog(133), IDNO);
    EXPECT_EQ(script.NextDialog(133), std::nullopt);
    EXPECT_EQ(script.NextMessageBox(), IDCANCEL);
    EXPECT_EQ(script.NextMessageBox(), std::nullopt); // "Vielleicht" names no button
    EXPECT_EQ(script.Next("filedialog"), "/tmp/mit Leerzeichen.ini");
    EXPECT_EQ(script.Remaining(), 0u);
}

TEST(ScriptedUi, WithoutAnswerFileNothingIsChanged) {
    ScriptedUi ui(AnswerScript::Load("/nonexistent/antworten.txt"), Transcript());
    const UiServicesScope scope(&ui, &ui);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_YESNO), IDNO);

    DrainQueue();
    ScriptedDialog question(*FindDialogTemplate(vortan::resources::IDD_OVERWRITE));
    EXPECT_EQ(question.DoModal(), IDCANCEL);
    ScriptedDialog about(*FindDialogTemplate(vortan::resources::IDD_ABOUTBOX));
    EXPECT_EQ(about.DoModal(), IDOK);
}

TEST(ScriptedUi, ScriptedAnswersEndDialogsAndBoxes) {
    ScriptedUi ui(AnswerScript::Parse("dialog 133 1014\n"
                                      "dialog 133 no\n"
                                      "dialog 133 1\n"
                                      "messagebox yes\n"
                                      "messagebox yes\n"),
                  Transcript());
    const UiServicesScope scope(&ui, &ui);
    DrainQueue();
    const auto run = [](std::function<void(ScriptedDialog&)> act = {}) {
        ScriptedDialog dialog(*FindDialogTemplate(vortan::resources::IDD_OVERWRITE));
        dialog.onAct = std::move(act);
        return dialog.DoModal();
    };
    EXPECT_EQ(run(), 1014);
    EXPECT_EQ(run(), IDNO);
    // The answer is a click: a disabled button ignores it. The command posted here comes
    // after the scripted click, so it ends the dialog only if the click was ignored.
    EXPECT_EQ(run([](ScriptedDialog& dialog) {
                  EnableWindow(GetDlgItem(dialog.GetSafeHwnd(), IDOK), FALSE);
                  PostMessage(dialog.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
              }),
              IDNO);
    EXPECT_EQ(run(), IDCANCEL); // answers of 133 used up
    // An answer the box has no button for is not given.
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Text", "Titel", MB_YESNO), IDYES);
}

TEST(JsonLine, EscapesHostileTexts) {
    struct Case {
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"plain", R"("plain")"},
        {R"(C:\Pfad "zitiert")", R"("C:\\Pfad \"zitiert\"")"},
        {"Zeile\nEins\r\n\tTab", R"("Zeile\nEins\r\n\tTab")"},
        {std::string("nul\0bell\aesc\x1b del\x7f", 18),
         R"("nul\u0000bell\u0007esc\u001b del\u007f")"},
        {"Überschreiben – €", "\"Überschreiben – €\""},
        {"kaputt\xff\xc3", "\"kaputt\xef\xbf\xbd\xef\xbf\xbd\""},
        {"</script>{}[]", R"("</script>{}[]")"},
    };
    for (const Case& c : cases) {
        std::string out;
        vortan::ui::AppendJsonString(out, c.text);
        EXPECT_EQ(out, c.json) << c.text;
    }
    EXPECT_EQ(vortan::ui::JsonLine().Add("a\"", "b").Add("n", -5).AddNull("x").Str(),
              R"({"a\"":"b","n":-5,"x":null})");
}

TEST(ScriptedUi, TranscriptRecordsTextsBoxesAndDialogs) {
    const vortan::test::TempDir dir;
    const std::string path = dir / "transcript.jsonl";
    dir.WriteFile("transcript.jsonl", "{\"event\":\"earlier\"}\n");
    ScriptedUi ui(AnswerScript::Parse("dialog 102 1\nmessagebox no\n"), Transcript(path));
    const UiServicesScope scope(&ui, &ui);
    DrainQueue();

    // The progress window is no question: its scripted answer stays unused, the window runs
    // until its own code ends it.
    ScriptedDialog progress(*FindDialogTemplate(vortan::resources::IDD_VORTAN_DIALOG));
    progress.onAct = [](ScriptedDialog& d) {
        SetWindowText(d.GetSafeHwnd(), "Lese 50%");
        SetDlgItemText(d.GetSafeHwnd(), 1004, "Datei \"a\\b.ini\"\n");
        SetDlgItemText(d.GetSafeHwnd(), 1004, "Datei \"a\\b.ini\"\n"); // no change, no line
        d.EndDialog(42);
    };
    EXPECT_EQ(progress.DoModal(), 42);
    SetWindowText(nullptr, "nach dem Ende");
    EXPECT_EQ(MessageBox(nullptr, "Weiter?", "Frage", MB_YESNO | MB_ICONQUESTION), IDNO);
    ScriptedDialog question(*FindDialogTemplate(vortan::resources::IDD_OVERWRITE));
    EXPECT_EQ(question.DoModal(), IDCANCEL);

    const std::string pid = Pid();
    const std::vector<std::string> expected = {
        R"({"event":"earlier"})",
        R"({"event":"dialog","pid":)" + pid +
            R"(,"template":102,"caption":"","controls":[{"id":1004,"kind":"static","text":"Status"},{"id":1000,"kind":"progress","text":""}],"answer":null})",
        R"({"event":"text","pid":)" + pid + R"(,"template":102,"control":0,"text":"Lese 50%"})",
        R"({"event":"text","pid":)" + pid +
            R"(,"template":102,"control":1004,"text":"Datei \"a\\b.ini\"\n"})",
        R"({"event":"messagebox","pid":)" + pid +
            R"(,"caption":"Frage","text":"Weiter?","type":36,"answer":7})",
        R"({"event":"dialog","pid":)" + pid +
            R"(,"template":133,"caption":"Dialog","controls":[{"id":1,"kind":"button","text":"Ja"},{"id":2,"kind":"button","text":"Abbrechen"},{"id":1016,"kind":"group","text":""},{"id":1010,"kind":"static","text":"Die Datei"},{"id":1011,"kind":"static","text":""},{"id":1012,"kind":"static","text":"existiert bereits im Verzeichnis"},{"id":1013,"kind":"static","text":""},{"id":7,"kind":"button","text":"Nein"},{"id":1014,"kind":"button","text":"Alle Überschreiben"},{"id":1018,"kind":"icon","text":""}],"answer":2})",
    };
    EXPECT_EQ(ReadLines(path), expected);
}

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

TEST(ScriptedUi, FromEnvironmentReadsBothFiles) {
    const vortan::test::TempDir dir;
    const vortan::test::ScopedEnv answers("VORTAN_ANSWERS",
                                          dir.WriteFile("antworten.txt", "messagebox retry\n"));
    const vortan::test::ScopedEnv transcript("VORTAN_TRANSCRIPT", dir / "t.jsonl");
    const auto ui = ScriptedUi::FromEnvironment();
    const UiServicesScope scope(ui.get(), ui.get());
    EXPECT_EQ(MessageBox(nullptr, "Nochmal?", "", MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(MessageBox(nullptr, "Nochmal?", "", MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(ReadLines(dir / "t.jsonl").size(), 2u);
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

namespace {

int PreselectAndShowStatus(HWND browser, UINT message, LPARAM lParam, LPARAM) {
    if (message == BFFM_INITIALIZED)
        SendMessage(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>("/var"));
    std::vector<char> path(vortan::fs::kMaxPath);
    if (message == BFFM_SELCHANGED &&
        SHGetPathFromIDList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path.data()))
        SendMessage(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path.data()));
    return 0;
}

} // namespace

TEST(ScriptedUi, AnswersFileDialogsAndFolderBrowsers) {
    const vortan::test::TempDir dir;
    const std::string transcript = dir / "transcript.jsonl";
    ScriptedUi ui(AnswerScript::Parse("filedialog ok \"/data/mit Blank.txt\"\n"
                                      "filedialog ok /data/a.txt /data/b.txt\n"
                                      "filedialog error 0x3003\n"
                                      "filedialog cancel\n"
                                      "folder ok /tmp\n"
                                      "folder nopath\n"),
                  Transcript(transcript));
    const vortan::ui::SelectionServicesScope scope(&ui, &ui);

    std::vector<char> file(vortan::fs::kMaxPath, '\0');
    OPENFILENAME ofn;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = "Titel";
    ofn.lpstrFilter = "Alle\0*.*\0";
    ofn.Flags = OFN_EXPLORER;
    const std::string multiple("/data\0a.txt\0b.txt\0\0", 19);
    const struct {
        DWORD flags;
        BOOL result;
        DWORD error;
        std::string selection;
    } runs[] = {
        {OFN_EXPLORER, TRUE, 0, std::string("/data/mit Blank.txt\0", 20)},
        {OFN_EXPLORER | OFN_ALLOWMULTISELECT, TRUE, 0, multiple},
        {OFN_EXPLORER, FALSE, FNERR_BUFFERTOOSMALL, ""},
        {OFN_EXPLORER, FALSE, 0, ""},
        {OFN_EXPLORER, FALSE, 0, ""}, // no answer left
    };
    for (const auto& run : runs) {
        ofn.Flags = run.flags;
        std::fill(file.begin(), file.end(), '\0');
        EXPECT_EQ(GetOpenFileName(&ofn), run.result);
        EXPECT_EQ(CommDlgExtendedError(), run.error);
        if (run.result) {
            EXPECT_EQ(std::string(file.data(), run.selection.size()), run.selection);
        }
    }

    BROWSEINFO bi;
    bi.lpszTitle = "Ordner";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    bi.lpfn = &PreselectAndShowStatus;
    std::vector<char> path(vortan::fs::kMaxPath);
    const std::vector<std::pair<bool, std::string>> folders{
        {true, "/tmp"}, {true, ""}, {false, ""}};
    for (const auto& [chosen, expected] : folders) {
        PIDLIST_ABSOLUTE item = SHBrowseForFolder(&bi);
        EXPECT_EQ(item != nullptr, chosen);
        EXPECT_EQ(SHGetPathFromIDList(item, path.data()) != FALSE, !expected.empty());
        EXPECT_EQ(std::string(path.data()), expected);
        CoTaskMemFree(item);
    }

    const auto lines = ReadLines(transcript);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0],
              "{\"event\":\"filedialog\",\"pid\":" + Pid() +
                  ",\"kind\":\"open\",\"title\":\"Titel\",\"ok\":\"&Öffnen\","
                  "\"cancel\":\"Abbrechen\",\"filter\":[{\"description\":\"Alle\","
                  "\"pattern\":\"*.*\"}],\"initialDirectory\":\"\",\"fileName\":\"\","
                  "\"flags\":524288,\"answer\":\"ok\",\"paths\":[\"/data/mit Blank.txt\"],"
                  "\"error\":0}");
    EXPECT_NE(lines[2].find("\"answer\":\"error\",\"paths\":[],\"error\":12291"),
              std::string::npos);
    EXPECT_NE(lines[4].find("\"answer\":\"cancel\""), std::string::npos);
    EXPECT_EQ(lines[5], "{\"event\":\"folder\",\"pid\":" + Pid() +
                            ",\"title\":\"Ordner\",\"preselection\":\"/var\",\"status\":[\"/tmp\"],"
                            "\"answer\":\"ok\",\"path\":\"/tmp\"}");
    EXPECT_NE(lines[6].find("\"answer\":\"nopath\",\"path\":null"), std::string::npos);
    EXPECT_NE(lines[7].find("\"answer\":\"cancel\",\"path\":null"), std::string::npos);
}
