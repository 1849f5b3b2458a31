#include "platform/ui/ScriptedUi.h"

#include "platform/ui/JsonLine.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WinUser.h"
#include "platform/win/Window.h"
#include "platform/win/WindowModel.h"
#include "platform/win/WindowTable.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace vortan::ui {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

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

const char* KindName(win::WindowKind kind) {
    switch (kind) {
    case win::WindowKind::Dialog:
        return "dialog";
    case win::WindowKind::MessageOnly:
        return "message";
    case win::WindowKind::Static:
        return "static";
    case win::WindowKind::Button:
        return "button";
    case win::WindowKind::Edit:
        return "edit";
    case win::WindowKind::ProgressBar:
        return "progress";
    case win::WindowKind::Icon:
        return "icon";
    case win::WindowKind::GroupBox:
        return "group";
    }
    return "unknown";
}

std::string ControlsJson(HWND dialog) {
    std::string json = "[";
    const auto window = win::WindowTable::Instance().Find(dialog);
    if (window) {
        for (HWND child : window->Children()) {
            const auto control = win::WindowTable::Instance().Find(child);
            if (!control)
                continue;
            if (json.size() > 1)
                json += ',';
            json += JsonLine()
                        .Add("id", control->Id())
                        .Add("kind", KindName(control->Kind()))
                        .Add("text", control->Text())
                        .Str();
        }
    }
    return json + "]";
}

} // namespace

ScriptedUi::ScriptedUi(AnswerScript answers, Transcript transcript)
    : m_answers(std::move(answers)), m_transcript(std::move(transcript)) {}

std::unique_ptr<ScriptedUi> ScriptedUi::FromEnvironment() {
    const std::string answers = Env("VORTAN_ANSWERS");
    return std::make_unique<ScriptedUi>(answers.empty() ? AnswerScript()
                                                        : AnswerScript::Load(answers),
                                        Transcript(Env("VORTAN_TRANSCRIPT")));
}

bool ScriptedUi::Wanted() {
    if (!Env("VORTAN_ANSWERS").empty())
        return true;
    const std::string platform = Env("QT_QPA_PLATFORM");
    if (platform == "offscreen" || platform == "minimal")
        return true;
    return Env("DISPLAY").empty() && Env("WAYLAND_DISPLAY").empty();
}

ScriptedUi::~ScriptedUi() {
    for (const auto& [dialog, templateId] : m_observed)
        win::SetWindowObserver(dialog, nullptr);
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
                            .Add("pid", static_cast<long long>(::getpid()))
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
            .Add("pid", static_cast<long long>(::getpid()))
            .Add("template", dialogTemplate.id)
            .Add("caption", win::GetWindowTextString(dialog))
            .AddRaw("controls", ControlsJson(dialog));
        if (question)
            line.Add("answer", answer);
        else
            line.AddNull("answer");
        m_transcript.Append(line.Str());
        if (win::SetWindowObserver(dialog, this)) {
            m_observed[dialog] = dialogTemplate.id;
            m_texts[dialog] = win::GetWindowTextString(dialog);
            if (const auto window = win::WindowTable::Instance().Find(dialog))
                for (HWND child : window->Children())
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
    win::SetWindowObserver(dialog, nullptr);
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
                            .Add("pid", static_cast<long long>(::getpid()))
                            .Add("template", owner->second)
                            .Add("control", dialog == hwnd ? 0 : GetDlgCtrlID(hwnd))
                            .Add("text", text)
                            .Str());
}

void ScriptedUi::OnDestroyed(HWND hwnd) {
    if (m_observed.erase(hwnd) != 0)
        Forget(hwnd);
}

} // namespace vortan::ui
