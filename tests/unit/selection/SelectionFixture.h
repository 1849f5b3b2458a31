#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/afx/DataExchange.h"
#include "platform/win/WindowModel.h"
#include "selection/FileEditCtrl.h"

namespace vortan::test {

// A dialog with edit item 1008 bound to a file edit control, as the selection host binds it.
// The dialog records the control's notifications and answers the pre-browse one with
// `preBrowseReply`.
struct SelectionHost {
    explicit SelectionHost(FileEditFlags flags) {
        win::DialogTemplate dialog;
        dialog.id = 131;
        dialog.items.push_back({1008, win::WindowKind::Edit, "", 5, 5, 175, 14, WS_BORDER});
        hwnd = win::CreateDialogWindow(
            dialog, nullptr, [this](HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
                if (message != WM_NOTIFY)
                    return DefWindowProc(h, message, wParam, lParam);
                const auto* header = reinterpret_cast<NMHDR*>(lParam);
                notifications.push_back(header->code);
                return header->code == NotifyPreBrowse ? preBrowseReply : LRESULT{0};
            });
        CDataExchange exchange(hwnd, FALSE);
        DDX_FileEditCtrl(&exchange, 1008, control, flags);
    }
    ~SelectionHost() { DestroyWindow(hwnd); }
    SelectionHost(const SelectionHost&) = delete;
    SelectionHost& operator=(const SelectionHost&) = delete;

    void SetText(const std::string& text) { SetWindowText(control.GetSafeHwnd(), text.c_str()); }
    std::string Text() const { return win::GetWindowTextString(control.GetSafeHwnd()); }
    std::vector<std::string> Paths() {
        std::vector<std::string> paths;
        for (POSITION pos = control.GetStartPosition(); pos != nullptr;)
            paths.push_back(control.GetNextPathName(pos));
        return paths;
    }

    HWND hwnd = nullptr;
    LRESULT preBrowseReply = 0;
    std::vector<UINT> notifications;
    CFileEditCtrl control;
};

} // namespace vortan::test
