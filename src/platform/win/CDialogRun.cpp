#include "platform/ui/IDialogService.h"
#include "platform/win/CDialog.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowModel.h"
#include "platform/win/WindowTable.h"

CDialog::CDialog(const vortan::win::DialogTemplate& dialogTemplate, HWND parent)
    : m_template(dialogTemplate), m_hWndParent(parent) {}

CDialog::~CDialog() {
    if (m_hWnd == nullptr)
        return;
    // The subclass is gone already; its handler must not hear WM_DESTROY.
    if (const auto window = vortan::win::WindowTable::Instance().Find(m_hWnd))
        window->SetHandler({});
    ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr)
        return -1;
    m_hWnd = vortan::win::CreateDialogWindow(
        m_template, m_hWndParent, [this](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
            return WindowProc(message, wParam, lParam);
        });
    if (m_hWnd == nullptr)
        return -1;
    m_bModalEnded = false;
    m_nModalResult = -1;

    const bool disableParent = m_hWndParent != nullptr && ::IsWindowEnabled(m_hWndParent);
    if (disableParent)
        ::EnableWindow(m_hWndParent, FALSE);

    ::SendMessage(m_hWnd, WM_INITDIALOG, 0, 0);
    // A template marked visible is shown after initialization, even if OnInitDialog hid it.
    if (!m_bModalEnded && ::IsWindow(m_hWnd) && (m_template.style & WS_VISIBLE) != 0)
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    // The desktop's turn: a view appears, or the script answers (by a posted click).
    const bool announced = !m_bModalEnded && ::IsWindow(m_hWnd);
    if (vortan::ui::IDialogService* service = vortan::ui::GetDialogService(); announced && service)
        service->OnModalDialogShown(m_hWnd, m_template);
    RunModalLoop();
    // Asked again: the desktop may have been replaced while the loop ran.
    if (vortan::ui::IDialogService* service = vortan::ui::GetDialogService();
        announced && service && ::IsWindow(m_hWnd))
        service->OnModalDialogEnded(m_hWnd, m_nModalResult);

    if (disableParent && ::IsWindow(m_hWndParent))
        ::EnableWindow(m_hWndParent, TRUE);
    if (::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return m_nModalResult;
}

void CDialog::RunModalLoop() {
    MSG msg;
    while (!m_bModalEnded && ::IsWindow(m_hWnd)) {
        if (::GetMessage(&msg, nullptr, 0, 0) == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop outside
            m_nModalResult = -1;
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bModalEnded = true;
    // The call may come from outside the loop (a toolkit event while it sleeps): wake it.
    if (m_hWnd != nullptr)
        ::PostMessage(m_hWnd, WM_NULL, 0, 0);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}
