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
    RunCreatedDialog();

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

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}
