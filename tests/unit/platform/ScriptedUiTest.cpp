#include "platform/ui/ScriptedUi.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/DesktopWindows.h"
#include "platform/ui/JsonLine.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SelectionServicesScope.h"
#include "platform/ui/UiServicesScope.h"
#include "platform/win/WinUser.h"
#include "resources/Resources.h"
#include "support/ScriptedDialog.h"
#include "support/TempDir.h"

using vortan::resources::FindDialogTemplate;
using vortan::test::DrainQueue;
using vortan::test::ReadLines;
using vortan::test::ScriptedDialog;
using vortan::ui::AnswerScript;
using vortan::ui::ScriptedUi;
using vortan::ui::Transcript;
using vortan::ui::UiServicesScope;

namespace {

std::string Pid() {
    return std::to_string(vortan::ui::desktop::ProcessId());
}

// A fresh directory for one test's files, removed at its end.
class ScratchDir final {
public:
    ScratchDir()
        : m_path(std::filesystem::temp_directory_path() /
                 ("vortan-ui-" + Pid() + "-" + std::to_string(++s_count))) {
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Names and paths in UTF-8, as the program has them.
    std::string operator/(const std::string& name) const {
        const std::u8string path = (m_path / std::u8string(name.begin(), name.end())).u8string();
        return std::string(path.begin(), path.end());
    }

private:
    static inline int s_count = 0;
    std::filesystem::path m_path;
};

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

    const ScratchDir dir;
    const std::string path = dir / "Antwörten.txt";
    std::ofstream(std::filesystem::path(std::u8string(path.begin(), path.end())))
        << "messagebox 7\n";
    EXPECT_EQ(AnswerScript::Load(path).NextMessageBox(), IDNO);
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
    LRESULT icon = 0; // the template's icon, from the program's resources
    about.onAct = [&icon](ScriptedDialog& d) {
        icon =
            SendMessage(vortan::ui::desktop::Controls(d.GetSafeHwnd()).front(), STM_GETICON, 0, 0);
    };
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_NE(icon, 0);
    EXPECT_NE(LoadIcon(nullptr, MAKEINTRESOURCE(vortan::resources::IDI_VORTAN)), nullptr);
}

// Answers by id and by name end the overwrite question in the server's tests.
TEST(ScriptedUi, AnswersAreClicksAndOnlyButtonsTheBoxHas) {
    ScriptedUi ui(AnswerScript::Parse("dialog 133 1\n"
                                      "messagebox yes\n"
                                      "messagebox yes\n"),
                  Transcript());
    const UiServicesScope scope(&ui, &ui);
    DrainQueue();
    // A disabled button ignores the click. The command posted here comes after the scripted
    // click, so it ends the dialog only if the click was ignored.
    ScriptedDialog dialog(*FindDialogTemplate(vortan::resources::IDD_OVERWRITE));
    dialog.onAct = [](ScriptedDialog& d) {
        EnableWindow(GetDlgItem(d.GetSafeHwnd(), IDOK), FALSE);
        PostMessage(d.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDNO);
    ScriptedDialog again(*FindDialogTemplate(vortan::resources::IDD_OVERWRITE));
    EXPECT_EQ(again.DoModal(), IDCANCEL); // answers of 133 used up
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
    const ScratchDir dir;
    const std::string path = dir / "transcript.jsonl";
    std::ofstream(path, std::ios::binary) << "{\"event\":\"earlier\"}\n";
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
    };
    EXPECT_EQ(ReadLines(path), expected);
}

// Opening and saving, several files, cancelling, folders and the status text are shown by
// the server's and vortanctl's tests; an error answer, a folder without path and a quoted
// name with a blank are not.
TEST(ScriptedUi, AnswersFileDialogsAndFolderBrowsers) {
    const ScratchDir dir;
    const std::string transcript = dir / "transcript.jsonl";
    const std::string chosen = dir / "mit Blank.txt"; // absolute in the platform's own form
    std::string quoted;                               // backslashes doubled inside the quotes
    for (const char c : chosen)
        quoted += c == '\\' ? std::string(2, c) : std::string(1, c);
    ScriptedUi ui(AnswerScript::Parse("filedialog ok \"" + quoted +
                                      "\"\n"
                                      "filedialog error 0x3003\n"
                                      "folder nopath\n"),
                  Transcript(transcript));
    const vortan::ui::SelectionServicesScope scope(&ui, &ui);

    std::vector<char> file(vortan::ui::desktop::kMaxPathBytes, '\0');
    OPENFILENAME ofn;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = "Titel";
    ofn.lpstrFilter = "Alle\0*.*\0";
    ofn.Flags = OFN_EXPLORER;
    EXPECT_EQ(GetOpenFileName(&ofn), TRUE);
    EXPECT_EQ(std::string(file.data()), chosen);
    EXPECT_EQ(GetOpenFileName(&ofn), FALSE);
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));

    BROWSEINFO bi;
    bi.lpszTitle = "Ordner";
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = SHBrowseForFolder(&bi);
    EXPECT_NE(item, nullptr);
    std::vector<char> path(vortan::ui::desktop::kMaxPathBytes);
    EXPECT_EQ(SHGetPathFromIDList(item, path.data()), FALSE);
    CoTaskMemFree(item);

    const auto lines = ReadLines(transcript);
    ASSERT_EQ(lines.size(), 3u);
    std::string json;
    vortan::ui::AppendJsonString(json, chosen);
    EXPECT_EQ(lines[0], "{\"event\":\"filedialog\",\"pid\":" + Pid() +
                            ",\"kind\":\"open\",\"title\":\"Titel\",\"ok\":\"&Öffnen\","
                            "\"cancel\":\"Abbrechen\",\"filter\":[{\"description\":\"Alle\","
                            "\"pattern\":\"*.*\"}],\"initialDirectory\":\"\",\"fileName\":\"\","
                            "\"flags\":524288,\"answer\":\"ok\",\"paths\":[" +
                            json + "],\"error\":0}");
    EXPECT_NE(lines[1].find("\"answer\":\"error\",\"paths\":[],\"error\":12291"),
              std::string::npos);
    EXPECT_NE(lines[2].find("\"answer\":\"nopath\",\"path\":null"), std::string::npos);
}
