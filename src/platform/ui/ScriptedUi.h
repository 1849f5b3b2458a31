#pragma once

#include <map>
#include <memory>

#include "platform/ui/AnswerScript.h"
#include "platform/ui/CommDlg.h"
#include "platform/ui/IDialogService.h"
#include "platform/ui/IMessageBoxService.h"
#include "platform/ui/ShlObj.h"
#include "platform/ui/Transcript.h"
#include "platform/win/IWindowObserver.h"

namespace vortan::ui {

// The unattended desktop: plays the user from the answer file and writes what the user would
// have seen into the transcript. Questions without a scripted answer get the answer that
// changes nothing: Cancel, or OK where OK is the only button (No for a yes/no box).
class ScriptedUi final : public IMessageBoxService,
                         public IDialogService,
                         public IFileDialogService,
                         public IFolderBrowserService,
                         private win::IWindowObserver {
public:
    ScriptedUi(AnswerScript answers, Transcript transcript);
    // Answers from $VORTAN_ANSWERS, transcript to $VORTAN_TRANSCRIPT (each optional).
    static std::unique_ptr<ScriptedUi> FromEnvironment();
    // True when this program should run unattended: an answer file is named, or there is no
    // display to show windows on.
    static bool Wanted();
    // True when no window could be shown: no display, or Qt told to draw nowhere.
    static bool NoDisplay();

    ~ScriptedUi() override;
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    AnswerScript& Answers() { return m_answers; }
    const Transcript& GetTranscript() const { return m_transcript; }

    int Show(const MessageBoxRequest& request) override;
    void OnModalDialogShown(HWND dialog, const win::DialogTemplate& dialogTemplate) override;
    void OnModalDialogEnded(HWND dialog, INT_PTR result) override;
    // "filedialog ok <path>...", "filedialog cancel", "filedialog error <code>".
    FileDialogAnswer Run(const FileDialogRequest& request) override;
    // "folder ok <path>", "folder nopath", "folder cancel".
    FolderBrowserAnswer Run(const FolderBrowserRequest& request) override;

private:
    void OnTextChanged(HWND hwnd, std::string_view text) override;
    void OnDestroyed(HWND hwnd) override;

    int DialogAnswer(HWND dialog, int templateId);
    void Forget(HWND dialog);

    AnswerScript m_answers;
    Transcript m_transcript;
    std::map<HWND, int> m_observed;      // dialogs whose texts go into the transcript -> template
    std::map<HWND, std::string> m_texts; // their windows' texts, so that only changes are written
};

} // namespace vortan::ui
