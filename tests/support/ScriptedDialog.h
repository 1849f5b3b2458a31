#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win/CDialog.h"
#include "platform/win/WinUser.h"

namespace vortan::test {

// Runs the posted messages still waiting, so that nothing of an earlier case reaches the next.
inline void DrainQueue() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// A dialog whose behaviour a test scripts. `onInit` runs in OnInitDialog, `onAct` from the
// loop once the dialog runs. Nein and Alle Überschreiben end it by their ids, as the real
// question does; OnOK, OnCancel and Nein are logged, and OnCancel ends it only with
// `endOnCancel`.
class ScriptedDialog final : public CDialog {
public:
    explicit ScriptedDialog(const win::DialogTemplate& t, HWND parent = nullptr)
        : CDialog(t, parent) {}

    std::function<void(ScriptedDialog&)> onInit;
    std::function<void(ScriptedDialog&)> onAct;
    std::vector<std::string> log;
    bool endOnCancel = true;

    using CDialog::EndDialog;

protected:
    static constexpr UINT kActMessage = WM_USER + 100;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        PostMessage(m_hWnd, kActMessage, 0, 0);
        return TRUE;
    }
    void OnOK() override {
        log.push_back("OnOK");
        CDialog::OnOK();
    }
    void OnCancel() override {
        log.push_back("OnCancel");
        if (endOnCancel)
            CDialog::OnCancel();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        const int id = LOWORD(wParam);
        if (id != IDNO && id != 1014)
            return CDialog::OnCommand(wParam, lParam);
        if (id == IDNO)
            log.push_back("Nein");
        EndDialog(id);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kActMessage)
            return CDialog::WindowProc(message, wParam, lParam);
        if (onAct)
            onAct(*this);
        return 0;
    }
};

} // namespace vortan::test
