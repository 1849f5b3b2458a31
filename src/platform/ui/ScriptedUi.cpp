#include "platform/ui/ScriptedUi.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "platform/text/Ascii.h"
#include "platform/ui/DesktopWindows.h"
#include "platform/ui/JsonLine.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"

namespace vortan::ui {
namespace {

std::vector<int> MessageBoxButtons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return {IDOK};
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

int DefaultMessageBoxAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDCANCEL;
    }
}

std::string ControlsJson(HWND dialog) {
    std::string json = "[";
    for (HWND control : desktop::Controls(dialog)) {
        if (json.size() > 1)
            json += ',';
        json += JsonLine()
                    .Add("id", GetDlgCtrlID(control))
                    .Add("kind", desktop::ControlKind(control))
                    .Add("text", win::GetWindowTextString(control))
                    .Str();
    }
    return json + "]";
}

// Words of an answer value: separated by blanks; a word in double quotes may hold blanks, and
// inside it \" and \\ stand for a quote and a backslash.
std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                // Only these two: a Windows path keeps its backslashes.
                if (text[i] == '\\' && i + 1 < text.size() &&
                    (text[i + 1] == '"' || text[i + 1] == '\\'))
                    ++i;
                word += text[i];
            }
            ++i;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t')
                word += text[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string JsonStrings(const std::vector<std::string>& texts) {
    std::string json = "[";
    for (const std::string& text : texts) {
        if (json.size() > 1)
            json += ',';
        AppendJsonString(json, text);
    }
    return json + "]";
}

std::optional<DWORD> ParseCode(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    DWORD value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, hex ? 16 : 10);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

ScriptedUi::ScriptedUi(AnswerScript answers, Transcript transcript)
    : m_answers(std::move(answers)), m_transcript(std::move(transcript)) {}

std::unique_ptr<ScriptedUi> ScriptedUi::FromEnvironment() {
    const std::string answers = desktop::Environment("VORTAN_ANSWERS");
    return std::make_unique<ScriptedUi>(answers.empty() ? AnswerScript()
                                                        : AnswerScript::Load(answers),
                                        Transcript(desktop::Environment("VORTAN_TRANSCRIPT")));
}

bool ScriptedUi::Wanted() {
    return !desktop::Environment("VORTAN_ANSWERS").empty() || NoDisplay();
}

bool ScriptedUi::NoDisplay() {
    return desktop::NoDisplay();
}

ScriptedUi::~ScriptedUi() {
    for (const auto& [dialog, templateId] : m_observed)
        win::RemoveWindowObserver(dialog, this);
}

int ScriptedUi::Show(const MessageBoxRequest& request) {
    const std::vector<int> buttons = MessageBoxButtons(request.type);
    int answer = DefaultMessageBoxAnswer(request.type);
    // An answer the box has no button for is not given; the default stands in.
    if (const auto scripted = m_answers.NextMessageBox();
        scripted && std::find(buttons.begin(), buttons.end(), *scripted) != buttons.end())
        answer = *scripted;
    m_transcript.Append(JsonLine()
                            .Add("event", "messagebox")
                            .Add("pid", desktop::ProcessId())
                            .Add("caption", request.caption)
                            .Add("text", request.text)
                            .Add("type", static_cast<long long>(request.type))
                            .Add("answer", answer)
                            .Str());
    return answer;
}

int ScriptedUi::DialogAnswer(HWND dialog, int templateId) {
    if (const auto scripted = m_answers.NextDialog(templateId))
        return *scripted;
    // Cancel changes nothing; a dialog that offers only OK (the about box) is closed with it.
    const bool hasOk = GetDlgItem(dialog, IDOK) != nullptr;
    const bool hasCancel = GetDlgItem(dialog, IDCANCEL) != nullptr;
    return hasOk && !hasCancel ? IDOK : IDCANCEL;
}

void ScriptedUi::OnModalDialogShown(HWND dialog, const win::DialogTemplate& dialogTemplate) {
    const bool question = IsQuestionDialog(dialog);
    const int answer = question ? DialogAnswer(dialog, dialogTemplate.id) : 0;
    if (m_transcript.Enabled()) {
        JsonLine line;
        line.Add("event", "dialog")
            .Add("pid", desktop::ProcessId())
            .Add("template", dialogTemplate.id)
            .Add("caption", win::GetWindowTextString(dialog))
            .AddRaw("controls", ControlsJson(dialog));
        if (question)
            line.Add("answer", answer);
        else
            line.AddNull("answer");
        m_transcript.Append(line.Str());
        if (win::AddWindowObserver(dialog, this)) {
            m_observed[dialog] = dialogTemplate.id;
            m_texts[dialog] = win::GetWindowTextString(dialog);
            for (HWND child : desktop::Controls(dialog))
                m_texts[child] = win::GetWindowTextString(child);
        }
    }
    if (!question)
        return;
    // The answer comes through the loop, as a click would: a button is clicked (and ignores it
    // when disabled); an id without a button arrives as its command, as Esc sends Cancel.
    if (const HWND button = GetDlgItem(dialog, answer))
        PostMessage(button, BM_CLICK, 0, 0);
    else
        PostMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(answer), BN_CLICKED), 0);
}

void ScriptedUi::OnModalDialogEnded(HWND dialog, INT_PTR) {
    if (m_observed.erase(dialog) == 0)
        return;
    win::RemoveWindowObserver(dialog, this);
    Forget(dialog);
}

void ScriptedUi::Forget(HWND dialog) {
    std::erase_if(m_texts, [dialog](const auto& entry) {
        return entry.first == dialog || GetParent(entry.first) == dialog ||
               IsWindow(entry.first) == FALSE;
    });
}

void ScriptedUi::OnTextChanged(HWND hwnd, std::string_view text) {
    const auto it = m_observed.find(hwnd);
    const HWND dialog = it != m_observed.end() ? hwnd : GetParent(hwnd);
    const auto owner = m_observed.find(dialog);
    if (owner == m_observed.end())
        return;
    std::string& last = m_texts[hwnd];
    if (last == text)
        return;
    last = text;
    m_transcript.Append(JsonLine()
                            .Add("event", "text")
                            .Add("pid", desktop::ProcessId())
                            .Add("template", owner->second)
                            .Add("control", dialog == hwnd ? 0 : GetDlgCtrlID(hwnd))
                            .Add("text", text)
                            .Str());
}

void ScriptedUi::OnDestroyed(HWND hwnd) {
    if (m_observed.erase(hwnd) != 0)
        Forget(hwnd);
}

FileDialogAnswer ScriptedUi::Run(const FileDialogRequest& request) {
    FileDialogAnswer answer; // no answer left: cancelled
    std::string outcome = "cancel";
    if (const auto value = m_answers.Next("filedialog")) {
        std::vector<std::string> words = SplitWords(*value);
        const std::string verb = words.empty() ? std::string() : text::AsciiLowered(words.front());
        if (verb == "ok" && words.size() > 1) {
            answer.confirmed = true;
            answer.paths.assign(words.begin() + 1, words.end());
            outcome = "ok";
        } else if (verb == "error" && words.size() == 2) {
            if (const auto code = ParseCode(words[1])) {
                answer.extendedError = *code;
                outcome = "error";
            }
        }
    }
    if (m_transcript.Enabled()) {
        std::string filters = "[";
        for (const FileDialogFilter& filter : request.filters) {
            if (filters.size() > 1)
                filters += ',';
            filters += JsonLine()
                           .Add("description", filter.description)
                           .Add("pattern", filter.pattern)
                           .Str();
        }
        filters += "]";
        m_transcript.Append(JsonLine()
                                .Add("event", "filedialog")
                                .Add("pid", desktop::ProcessId())
                                .Add("kind", request.save ? "save" : "open")
                                .Add("title", request.title)
                                .Add("ok", request.okText)
                                .Add("cancel", request.cancelText)
                                .AddRaw("filter", filters)
                                .Add("initialDirectory", request.initialDirectory)
                                .Add("fileName", request.fileName)
                                .Add("flags", static_cast<long long>(request.flags))
                                .Add("answer", outcome)
                                .AddRaw("paths", JsonStrings(answer.paths))
                                .Add("error", static_cast<long long>(answer.extendedError))
                                .Str());
    }
    return answer;
}

FolderBrowserAnswer ScriptedUi::Run(const FolderBrowserRequest& request) {
    const std::string preselection =
        win::GetWindowTextString(GetDlgItem(request.browser, kFolderBrowserSelectionId));
    std::vector<std::string> statusTexts;
    const auto noteStatus = [&] {
        const HWND status = GetDlgItem(request.browser, kFolderBrowserStatusId);
        if (status == nullptr)
            return;
        std::string text = win::GetWindowTextString(status);
        if (!text.empty() && (statusTexts.empty() || statusTexts.back() != text))
            statusTexts.push_back(std::move(text));
    };
    noteStatus();

    FolderBrowserAnswer answer;
    std::string outcome = "cancel";
    if (const auto value = m_answers.Next("folder")) {
        const std::vector<std::string> words = SplitWords(*value);
        const std::string verb = words.empty() ? std::string() : text::AsciiLowered(words.front());
        // The person moves to the item first, then confirms it.
        if (verb == "ok" && words.size() == 2) {
            answer.confirmed = true;
            answer.path = words[1];
            outcome = "ok";
        } else if (verb == "nopath" && words.size() == 1) {
            answer.confirmed = true;
            outcome = "nopath";
        }
        if (answer.confirmed && request.selectionChanged) {
            request.selectionChanged(answer.path);
            noteStatus();
        }
    }
    if (m_transcript.Enabled()) {
        JsonLine line;
        line.Add("event", "folder")
            .Add("pid", desktop::ProcessId())
            .Add("title", request.title)
            .Add("preselection", preselection)
            .AddRaw("status", JsonStrings(statusTexts))
            .Add("answer", outcome);
        if (answer.path)
            line.Add("path", *answer.path);
        else
            line.AddNull("path");
        m_transcript.Append(line.Str());
    }
    return answer;
}

} // namespace vortan::ui
