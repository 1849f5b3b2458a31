#pragma once

// The platform's open and save file dialogs. GetOpenFileName/GetSaveFileName build a model
// window for the dialog (IDOK and IDCANCEL buttons whose texts a hook may change), run the hook
// as the platform does, and ask the process's file dialog service to let the user choose.
// Paths are POSIX paths ('/' separates, absolute paths begin with '/'); texts are UTF-8.

#include <string>
#include <vector>

#include "platform/WinDef.h"
#include "platform/win/WinUser.h"

#ifdef _WIN32
// The SDK's settings block under another name, so that OPENFILENAME can be a value-initialized
// one: code that sets only the fields it needs gets zeros in the others, as with the model's.
#ifdef _INC_COMMDLG
// WIN32_LEAN_AND_MEAN keeps <commdlg.h> out of <windows.h>.
#error "platform/ui/CommDlg.h must be included before <commdlg.h>"
#endif
#define OPENFILENAME VortanSdkOpenFileName
#define VortanSdkOpenFileNameA OPENFILENAMEA
#define LPOPENFILENAME VortanSdkLpOpenFileName
#define VortanSdkLpOpenFileNameA LPOPENFILENAMEA
#define OFNOTIFY VortanSdkOfNotify
#define VortanSdkOfNotifyA OFNOTIFYA
#define LPOFNOTIFY VortanSdkLpOfNotify
#define VortanSdkLpOfNotifyA LPOFNOTIFYA
#include <cderr.h>
#include <commdlg.h>
#undef OPENFILENAME
#undef VortanSdkOpenFileNameA
#undef LPOPENFILENAME
#undef VortanSdkLpOpenFileNameA
#undef OFNOTIFY
#undef VortanSdkOfNotifyA
#undef LPOFNOTIFY
#undef VortanSdkLpOfNotifyA

struct OPENFILENAME : OPENFILENAMEA {
    OPENFILENAME() : OPENFILENAMEA{} { lStructSize = sizeof(OPENFILENAMEA); }
};
using LPOPENFILENAME = OPENFILENAME*;
// OFNOTIFYA with the block as this program knows it.
struct OFNOTIFY {
    NMHDR hdr;
    LPOPENFILENAME lpOFN = nullptr;
    LPSTR pszFile = nullptr;
};
using LPOFNOTIFY = OFNOTIFY*;

// Routed: the process's file dialog service answers when one is installed (the unattended
// desktop, tests), else COMDLG32's dialogs do. Paths are UTF-8 either way.
#undef GetOpenFileName
#define GetOpenFileName VortanGetOpenFileName
#undef GetSaveFileName
#define GetSaveFileName VortanGetSaveFileName
#define CommDlgExtendedError() VortanCommDlgExtendedError()
BOOL VortanGetOpenFileName(LPOPENFILENAME ofn);
BOOL VortanGetSaveFileName(LPOPENFILENAME ofn);
DWORD VortanCommDlgExtendedError();
#else
using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// lpstrFilter: pairs of description and pattern, each ended by a NUL, the list ended by an empty
// string. lpstrFile: in, the proposed name (may be empty); out, the selection: one full path,
// or with OFN_ALLOWMULTISELECT | OFN_EXPLORER and several files "dir\0name1\0name2\0\0".
// nFileOffset and nFileExtension are byte offsets of the (first) name and of its extension
// (the terminating NUL when there is none) in lpstrFile.
struct OPENFILENAME {
    DWORD lStructSize = sizeof(OPENFILENAME);
    HWND hwndOwner = nullptr;
    HINSTANCE hInstance = nullptr;
    LPCSTR lpstrFilter = nullptr;
    LPSTR lpstrCustomFilter = nullptr;
    DWORD nMaxCustFilter = 0;
    DWORD nFilterIndex = 0;
    LPSTR lpstrFile = nullptr;
    DWORD nMaxFile = 0;
    LPSTR lpstrFileTitle = nullptr;
    DWORD nMaxFileTitle = 0;
    LPCSTR lpstrInitialDir = nullptr;
    LPCSTR lpstrTitle = nullptr;
    DWORD Flags = 0;
    WORD nFileOffset = 0;
    WORD nFileExtension = 0;
    LPCSTR lpstrDefExt = nullptr;
    LPARAM lCustData = 0;
    LPOFNHOOKPROC lpfnHook = nullptr;
    LPCSTR lpTemplateName = nullptr;
};
using OPENFILENAMEA = OPENFILENAME;
using LPOPENFILENAME = OPENFILENAME*;

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;
inline constexpr DWORD OFN_NODEREFERENCELINKS = 0x00100000;

// Extended errors (CommDlgExtendedError); 0 means the user cancelled.
inline constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
inline constexpr DWORD CDERR_INITIALIZATION = 0x0002;
inline constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
inline constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
inline constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// Explorer-style notifications to the hook (WM_NOTIFY with an OFNOTIFY) and the messages the
// hook sends to the dialog window (the parent of the hook's window).
inline constexpr UINT CDN_FIRST = 0U - 601U;
inline constexpr UINT CDN_INITDONE = CDN_FIRST - 0x0000;
inline constexpr UINT CDM_FIRST = WM_USER + 100;
inline constexpr UINT CDM_SETCONTROLTEXT = CDM_FIRST + 0x0004;

struct OFNOTIFY {
    NMHDR hdr;
    LPOPENFILENAME lpOFN = nullptr;
    LPSTR pszFile = nullptr;
};
using LPOFNOTIFY = OFNOTIFY*;

// Run the dialog; TRUE when the user confirmed and the selection was written into lpstrFile.
// FALSE otherwise, with CommDlgExtendedError telling why (0: cancelled; FNERR_BUFFERTOOSMALL:
// the selection does not fit nMaxFile, whose first two bytes then hold the size needed).
BOOL GetOpenFileName(LPOPENFILENAME ofn);
BOOL GetSaveFileName(LPOPENFILENAME ofn);
// The extended error of this thread's last file dialog.
DWORD CommDlgExtendedError();
#endif

namespace vortan::ui {

struct FileDialogFilter {
    std::string description;
    std::string pattern; // one or more patterns separated by ';', as "*.txt;*.ini"
};

// What a person sees of a file dialog.
struct FileDialogRequest {
    HWND owner = nullptr;
    HWND dialog = nullptr; // the model window: its IDOK and IDCANCEL texts, observable
    bool save = false;     // a save dialog, else an open dialog
    DWORD flags = 0;       // the OFN_ flags as the caller set them
    std::string title;     // empty: the desktop's own title
    std::vector<FileDialogFilter> filters;
    DWORD filterIndex = 0;        // 1-based; 0 picks the first
    std::string initialDirectory; // empty: the desktop's default place
    std::string fileName;         // the proposed name (lpstrFile on entry)
    std::string defaultExtension; // without the dot
    std::string okText;           // read back from the dialog window after the hook ran
    std::string cancelText;
};

// The user's answer. Full paths; several only when the request allows a multiple selection
// (otherwise the first is taken). A failure of the dialog itself sets `extendedError`.
struct FileDialogAnswer {
    bool confirmed = false;
    std::vector<std::string> paths;
    DWORD extendedError = 0;
};

// Lets the user choose: a Qt dialog, the answer file, or a fake in tests. Called on the window
// thread; it may run a nested loop. It must not throw.
class IFileDialogService {
public:
    virtual ~IFileDialogService() = default;
    virtual FileDialogAnswer Run(const FileDialogRequest& request) = 0;

protected:
    IFileDialogService() = default;
    IFileDialogService(const IFileDialogService&) = default;
    IFileDialogService& operator=(const IFileDialogService&) = default;
};

// Installs the service and returns the one it replaces. Without one every file dialog is
// cancelled: a question that cannot be shown is a "no".
IFileDialogService* SetFileDialogService(IFileDialogService* service);
IFileDialogService* GetFileDialogService();

// Template id of the file dialog's model window, as views and transcripts name it.
inline constexpr int kFileDialogTemplateId = 1536;

} // namespace vortan::ui
