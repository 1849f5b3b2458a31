#include "platform/win/CDialog.h"
#include "platform/win/DialogTemplateWin32.h"
#include "platform/win/WindowHookWin32.h"

// A modal dialog is a modeless USER32 dialog with a loop of our own, as the framework runs it:
// DialogBox's loop cannot tell the desktop service about the dialog between its initialization
// and its loop, and it ends on the system's EndDialog rather than on this object's.
class CDialogHost {
public:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        // Only the WM_INITDIALOG of the creation is ours here; everything else reaches the
        // dialog through its handler in front of the dialog manager.
        if (message != WM_INITDIALOG || GetWindowLongPtrW(hwnd, DWLP_USER) != 0 || lParam == 0)
            return FALSE;
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
        vortan::win::HookWindowAndChildren(hwnd);
        vortan::win::SetHookHandler(hwnd, [dialog](HWND, UINT msg, WPARAM w, LPARAM l) {
            return dialog->WindowProc(msg, w, l);
        });
        try {
            return dialog->WindowProc(WM_INITDIALOG, wParam, 0);
        } catch (...) {
            // USER32 must not see the exception; the run ends as one that could not start.
            dialog->EndDialog(-1);
            return FALSE;
        }
    }
};

CDialog::CDialog(const vortan::win::DialogTemplate& dialogTemplate, HWND parent)
    : m_template(dialogTemplate), m_hWndParent(parent) {}

CDialog::~CDialog() {
    if (m_hWnd == nullptr)
        return;
    // The object is going: its handler must not hear WM_DESTROY.
    vortan::win::SetHookHandler(m_hWnd, {});
    ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr)
        return -1;
    m_bModalEnded = false;
    m_nModalResult = -1;
    const bool disableParent = m_hWndParent != nullptr && ::IsWindowEnabled(m_hWndParent);
    if (disableParent)
        ::EnableWindow(m_hWndParent, FALSE);

    // WM_INITDIALOG comes while the window is created.
    const HWND hwnd = vortan::win::CreateDialogFromTemplate(
        m_template, m_hWndParent, &CDialogHost::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr) {
        m_hWnd = nullptr;
        if (disableParent && ::IsWindow(m_hWndParent))
            ::EnableWindow(m_hWndParent, TRUE);
        return -1;
    }
    RunCreatedDialog();

    // The parent first, so that it takes the activation back when the dialog goes.
    if (disableParent && ::IsWindow(m_hWndParent))
        ::EnableWindow(m_hWndParent, TRUE);
    if (::IsWindow(hwnd)) {
        ::ShowWindow(hwnd, SW_HIDE);
        ::DestroyWindow(hwnd);
    }
    m_hWnd = nullptr;
    return m_nModalResult;
}

void CDialog::RunModalLoop() {
    MSG msg;
    while (!m_bModalEnded && ::IsWindow(m_hWnd)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop outside
            m_nModalResult = -1;
            return;
        }
        if (got < 0) {
            m_nModalResult = -1;
            return;
        }
        // Enter, Esc and Tab as the dialog manager handles them.
        if (!::IsDialogMessageW(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return vortan::win::CallOwnProcedure(m_hWnd, message, wParam, lParam);
}
