#pragma once

#include "platform/WinDef.h"
#include "platform/win/DialogTemplate.h"

namespace vortan::ui {

// The desktop's side of modal dialogs: the Qt service gives each one a view, the scripted one
// answers questions from the answer file. Calls come on the window thread; they must not
// throw.
class IDialogService {
public:
    virtual ~IDialogService() = default;

    // DoModal has initialized the dialog and shown it if its template is visible; its loop
    // runs next. An answer must arrive through the loop (a posted click), never from here.
    virtual void OnModalDialogShown(HWND dialog, const win::DialogTemplate& dialogTemplate) = 0;
    // The loop has ended with `result`; the window still exists and is destroyed next.
    virtual void OnModalDialogEnded(HWND dialog, INT_PTR result) = 0;

protected:
    IDialogService() = default;
    IDialogService(const IDialogService&) = default;
    IDialogService& operator=(const IDialogService&) = default;
};

// Installs the service told about every modal dialog of the process and returns the one it
// replaces. Without one (null, the default) dialogs run unobserved, as unit tests want.
IDialogService* SetDialogService(IDialogService* service);
IDialogService* GetDialogService();

// A dialog asks the user something only if the user can reach it: it is visible and enabled.
// The progress window (visible, disabled) and the invisible host dialogs are no questions.
bool IsQuestionDialog(HWND dialog);

} // namespace vortan::ui
