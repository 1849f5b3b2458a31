#include "platform/ui/CommDlg.h"

#include <atomic>
#include <cstring>

#include "platform/ui/DesktopWindows.h"
#include "platform/ui/FileDialogModel.h"
#include "platform/win/WindowModel.h"

namespace vortan::ui {
namespace {

std::atomic<IFileDialogService*> g_fileDialogService{nullptr};

win::DialogTemplate FileDialogTemplate(bool save, LPCSTR title) {
    win::DialogTemplate dialog;
    dialog.id = kFileDialogTemplateId;
    dialog.caption =
        title != nullptr && *title != '\0' ? title : (save ? "Speichern unter" : "Öffnen");
    dialog.cx = 280;
    dialog.cy = 160;
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    dialog.fontName = "MS Sans Serif";
    dialog.fontPointSize = 8;
    dialog.items.push_back({IDOK, win::WindowKind::Button, save ? "&Speichern" : "&Öffnen", 170,
                            140, 50, 14, WS_TABSTOP | BS_DEFPUSHBUTTON});
    dialog.items.push_back(
        {IDCANCEL, win::WindowKind::Button, "Abbrechen", 225, 140, 50, 14, WS_TABSTOP});
    return dialog;
}

std::vector<FileDialogFilter> ParseFilter(LPCSTR filter) {
    std::vector<FileDialogFilter> filters;
    if (filter == nullptr)
        return filters;
    for (const char* p = filter; *p != '\0';) {
        FileDialogFilter entry;
        entry.description = p;
        p += entry.description.size() + 1;
        if (*p == '\0')
            break; // a description without its pattern ends the list
        entry.pattern = p;
        p += entry.pattern.size() + 1;
        filters.push_back(std::move(entry));
    }
    return filters;
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of(desktop::kPathSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder of a path as the multiple selection names it: no final '/' except for the root.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of(desktop::kPathSeparators);
    if (slash == std::string::npos)
        return {};
    if (slash == 0 || (slash == 2 && path[1] == ':'))
        return path.substr(0, slash + 1); // a root keeps its separator
    return path.substr(0, slash);
}

void AddDefaultExtension(std::string& path, LPCSTR defExt) {
    if (defExt == nullptr || *defExt == '\0')
        return;
    const std::string name = NameOf(path);
    if (name.empty() || name.find('.') != std::string::npos)
        return;
    path += '.';
    path += defExt;
}

DWORD WriteSelection(OPENFILENAME& ofn, std::vector<std::string> paths) {
    if (paths.empty())
        return CDERR_DIALOGFAILURE;
    if ((ofn.Flags & OFN_ALLOWMULTISELECT) == 0)
        paths.resize(1);
    for (std::string& path : paths) {
        if (!desktop::IsAbsolutePath(path))
            return FNERR_INVALIDFILENAME;
        AddDefaultExtension(path, ofn.lpstrDefExt);
    }

    std::string selection;
    std::size_t nameOffset = 0;
    if (paths.size() == 1) {
        selection = paths.front();
        nameOffset = selection.find_last_of(desktop::kPathSeparators) + 1;
        selection.push_back('\0');
    } else {
        const std::string folder = FolderOf(paths.front());
        selection = folder;
        selection.push_back('\0');
        nameOffset = selection.size();
        for (const std::string& path : paths) {
            if (FolderOf(path) != folder || NameOf(path).empty())
                return CDERR_DIALOGFAILURE; // a multiple selection comes from one folder
            selection += NameOf(path);
            selection.push_back('\0');
        }
        selection.push_back('\0');
    }
    if (selection.size() > ofn.nMaxFile || nameOffset > 0xFFFF) {
        if (ofn.nMaxFile >= 2) {
            const WORD needed = static_cast<WORD>(std::min<std::size_t>(selection.size(), 0xFFFF));
            std::memcpy(ofn.lpstrFile, &needed, sizeof needed);
        }
        return FNERR_BUFFERTOOSMALL;
    }
    std::memcpy(ofn.lpstrFile, selection.data(), selection.size());
    ofn.nFileOffset = static_cast<WORD>(nameOffset);
    const std::string firstName = paths.size() == 1 ? NameOf(paths.front()) : NameOf(paths[0]);
    const std::size_t dot = firstName.rfind('.');
    const std::size_t extension = dot == std::string::npos || dot == 0 ? firstName.size() : dot + 1;
    ofn.nFileExtension = static_cast<WORD>(std::min<std::size_t>(nameOffset + extension, 0xFFFF));
    if (ofn.lpstrFileTitle != nullptr && ofn.nMaxFileTitle > 0) {
        const std::size_t length = std::min<std::size_t>(firstName.size(), ofn.nMaxFileTitle - 1);
        std::memcpy(ofn.lpstrFileTitle, firstName.data(), length);
        ofn.lpstrFileTitle[length] = '\0';
    }
    return 0;
}

// The dialog's model windows for one run; destroyed with the run.
class FileDialogWindows final {
public:
    FileDialogWindows(OPENFILENAME& ofn, bool save) : m_ofn(ofn) {
        const bool hooked = (ofn.Flags & OFN_ENABLEHOOK) != 0 && ofn.lpfnHook != nullptr;
        const bool explorer = (ofn.Flags & OFN_EXPLORER) != 0;
        m_dialog = win::CreateDialogWindow(
            FileDialogTemplate(save, ofn.lpstrTitle), ofn.hwndOwner,
            [this, hooked, explorer](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
                if (hooked && !explorer && m_ofn.lpfnHook(hwnd, message, wParam, lParam) != 0)
                    return LRESULT{TRUE};
                if (message == CDM_SETCONTROLTEXT) {
                    SetDlgItemText(hwnd, static_cast<int>(wParam),
                                   reinterpret_cast<const char*>(lParam));
                    return LRESULT{0};
                }
                if (message == WM_COMMAND || message == WM_CLOSE || message == WM_KEYDOWN)
                    return LRESULT{0}; // the service decides; the model only holds the texts
                return DefWindowProc(hwnd, message, wParam, lParam);
            });
        if (m_dialog == nullptr || !hooked)
            return;
        if (!explorer) {
            SendMessage(m_dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&m_ofn));
            return;
        }
        // Explorer style: the hook serves a child dialog of the dialog window.
        win::DialogTemplate child;
        child.style = WS_CHILD;
        m_hook = win::CreateDialogWindow(
            child, m_dialog, [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
                if (m_ofn.lpfnHook(hwnd, message, wParam, lParam) != 0)
                    return LRESULT{TRUE};
                return DefWindowProc(hwnd, message, wParam, lParam);
            });
        if (m_hook == nullptr)
            return;
        SendMessage(m_hook, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&m_ofn));
        OFNOTIFY notify;
        notify.hdr.hwndFrom = m_dialog;
        notify.hdr.code = CDN_INITDONE;
        notify.lpOFN = &m_ofn;
        notify.pszFile = m_ofn.lpstrFile;
        if (IsWindow(m_hook))
            SendMessage(m_hook, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    }
    ~FileDialogWindows() {
        if (m_hook != nullptr && IsWindow(m_hook))
            DestroyWindow(m_hook);
        if (m_dialog != nullptr && IsWindow(m_dialog))
            DestroyWindow(m_dialog);
    }
    FileDialogWindows(const FileDialogWindows&) = delete;
    FileDialogWindows& operator=(const FileDialogWindows&) = delete;

    HWND Dialog() const { return m_dialog; }

private:
    OPENFILENAME& m_ofn;
    HWND m_dialog = nullptr;
    HWND m_hook = nullptr;
};

} // namespace

thread_local DWORD g_extendedError = 0;

BOOL RunFileDialogModel(LPOPENFILENAME ofn, bool save) {
    g_extendedError = 0;
    if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        g_extendedError = CDERR_INITIALIZATION;
        return FALSE;
    }
    FileDialogWindows windows(*ofn, save);
    if (windows.Dialog() == nullptr || !IsWindow(windows.Dialog())) {
        g_extendedError = CDERR_DIALOGFAILURE;
        return FALSE;
    }
    FileDialogRequest request;
    request.owner = ofn->hwndOwner;
    request.dialog = windows.Dialog();
    request.save = save;
    request.flags = ofn->Flags;
    request.title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : "";
    request.filters = ParseFilter(ofn->lpstrFilter);
    request.filterIndex = ofn->nFilterIndex;
    request.initialDirectory = ofn->lpstrInitialDir != nullptr ? ofn->lpstrInitialDir : "";
    request.fileName.assign(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
    request.defaultExtension = ofn->lpstrDefExt != nullptr ? ofn->lpstrDefExt : "";
    request.okText = win::GetWindowTextString(GetDlgItem(windows.Dialog(), IDOK));
    request.cancelText = win::GetWindowTextString(GetDlgItem(windows.Dialog(), IDCANCEL));

    IFileDialogService* service = GetFileDialogService();
    if (service == nullptr)
        return FALSE; // nobody to ask: cancelled
    FileDialogAnswer answer;
    try {
        answer = service->Run(request);
    } catch (...) {
        g_extendedError = CDERR_DIALOGFAILURE;
        return FALSE;
    }
    if (!answer.confirmed) {
        g_extendedError = answer.extendedError;
        return FALSE;
    }
    g_extendedError = WriteSelection(*ofn, std::move(answer.paths));
    return g_extendedError == 0 ? TRUE : FALSE;
}

IFileDialogService* SetFileDialogService(IFileDialogService* service) {
    return g_fileDialogService.exchange(service);
}

IFileDialogService* GetFileDialogService() {
    return g_fileDialogService.load();
}

} // namespace vortan::ui
