#include "platform/afx/FileDialog.h"

#include <cstring>

#include "platform/fs/Path.h"

namespace {

// The dialogs being initialised, for the hook: the settings block carries its dialog.
CFileDialog* DialogOf(const OPENFILENAME* ofn) {
    return ofn != nullptr ? reinterpret_cast<CFileDialog*>(ofn->lCustData) : nullptr;
}

} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                         DWORD dwFlags, LPCSTR lpszFilter, HWND hWndParent)
    : m_bOpenFileDialog(bOpenFileDialog), m_fileBuffer(vortan::fs::kMaxPath, '\0') {
    if (lpszFileName != nullptr)
        std::strncpy(m_fileBuffer.data(), lpszFileName, m_fileBuffer.size() - 1);
    if (lpszDefExt != nullptr)
        m_strDefExt = lpszDefExt;
    if (lpszFilter != nullptr) {
        m_strFilter = lpszFilter;
        for (char& c : m_strFilter)
            if (c == '|')
                c = '\0';
    }
    m_ofn.hwndOwner = hWndParent;
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileBuffer.size());
    m_ofn.lpstrDefExt = lpszDefExt != nullptr ? m_strDefExt.c_str() : nullptr;
    // The filter string keeps its own terminating zero, so "a|b||" ends in two NULs.
    m_ofn.lpstrFilter = lpszFilter != nullptr ? m_strFilter.c_str() : nullptr;
    m_ofn.Flags = dwFlags | OFN_ENABLEHOOK | OFN_EXPLORER;
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal() {
    m_ofn.Flags |= OFN_ENABLEHOOK;
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    if (m_ofn.lpstrFile != nullptr && m_ofn.nMaxFile > 0)
        m_ofn.lpstrFile[m_ofn.nMaxFile - 1] = '\0';
    const BOOL confirmed = m_bOpenFileDialog ? GetOpenFileName(&m_ofn) : GetSaveFileName(&m_ofn);
    m_hWnd = nullptr;
    return confirmed ? IDOK : IDCANCEL;
}

UINT_PTR CFileDialog::HookProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CFileDialog* dialog = DialogOf(reinterpret_cast<const OPENFILENAME*>(lParam));
        if (dialog == nullptr)
            return 0;
        dialog->m_hWnd = hwnd;
        dialog->OnInitDialog();
        return 1;
    }
    if (message == WM_NOTIFY) {
        const auto* notify = reinterpret_cast<const OFNOTIFY*>(lParam);
        if (notify == nullptr || notify->hdr.code != CDN_INITDONE)
            return 0;
        if (CFileDialog* dialog = DialogOf(notify->lpOFN)) {
            dialog->m_hWnd = hwnd;
            dialog->OnInitDone();
        }
        return 0;
    }
    return 0;
}

BOOL CFileDialog::OnInitDialog() {
    return TRUE;
}

void CFileDialog::OnInitDone() {}

POSITION CFileDialog::GetStartPosition() const {
    if (m_ofn.lpstrFile == nullptr || m_ofn.lpstrFile[0] == '\0')
        return nullptr;
    return reinterpret_cast<POSITION>(m_ofn.lpstrFile);
}

std::string CFileDialog::GetNextPathName(POSITION& pos) const {
    const char* const buffer = m_ofn.lpstrFile;
    const char* current = reinterpret_cast<const char*>(pos);
    if (buffer == nullptr || current == nullptr) {
        pos = nullptr;
        return {};
    }
    const char* const end = buffer + m_ofn.nMaxFile;
    const auto length = [end](const char* p) {
        return strnlen(p, static_cast<std::size_t>(end - p));
    };
    const std::size_t firstLength = length(buffer);
    const bool multiple = (m_ofn.Flags & (OFN_ALLOWMULTISELECT | OFN_EXPLORER)) ==
                              (OFN_ALLOWMULTISELECT | OFN_EXPLORER) &&
                          buffer + firstLength + 1 < end && buffer[firstLength + 1] != '\0';
    if (!multiple) {
        pos = nullptr;
        return std::string(buffer, firstLength);
    }
    // "dir\0name1\0name2\0\0": the first position is the folder itself.
    if (current == buffer)
        current = buffer + firstLength + 1;
    const std::size_t nameLength = length(current);
    std::string path(buffer, firstLength);
    if (path.empty() || path.back() != '/')
        path += '/';
    path.append(current, nameLength);
    const char* next = current + nameLength + 1;
    pos =
        next < end && *next != '\0' ? reinterpret_cast<POSITION>(const_cast<char*>(next)) : nullptr;
    return path;
}
