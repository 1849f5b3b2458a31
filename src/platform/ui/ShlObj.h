#pragma once

// The shell's folder browser and its item id lists. SHBrowseForFolder builds a model window
// for the browser (title, status and selection controls, OK and Cancel), calls the callback
// with BFFM_INITIALIZED, and asks the process's folder browser service to let the user choose.
// Paths are POSIX paths; texts are UTF-8.

#include <functional>
#include <optional>
#include <string>

#include "platform/WinDef.h"
#include "platform/win/WinUser.h"

#ifdef _WIN32
#include <shlobj.h>

// A value-initialized BROWSEINFOA: fields nobody sets are zero.
#undef BROWSEINFO
struct BROWSEINFO : BROWSEINFOA {
    BROWSEINFO() : BROWSEINFOA{} {}
};
#undef LPBROWSEINFO
using LPBROWSEINFO = BROWSEINFO*;

// Routed: the process's folder browser service answers when one is installed, else the
// shell's browser does. Paths are UTF-8 either way.
#undef SHBrowseForFolder
#define SHBrowseForFolder VortanSHBrowseForFolder
#undef SHGetPathFromIDList
#define SHGetPathFromIDList VortanSHGetPathFromIDList
PIDLIST_ABSOLUTE VortanSHBrowseForFolder(LPBROWSEINFO bi);
// `path` holds MAX_PATH bytes.
BOOL VortanSHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, LPSTR path);
#else
// An item of the shell's name space: a folder with a file-system path, or one without (a
// virtual folder). Opaque; allocated by the shell, freed by the caller with CoTaskMemFree.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

using BFFCALLBACK = int (*)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

struct BROWSEINFO {
    HWND hwndOwner = nullptr;
    PCIDLIST_ABSOLUTE pidlRoot = nullptr; // not supported: the browser starts at the root
    LPSTR pszDisplayName = nullptr;       // receives the chosen item's name (kMaxPath bytes)
    LPCSTR lpszTitle = nullptr;
    UINT ulFlags = 0;
    BFFCALLBACK lpfn = nullptr;
    LPARAM lParam = 0;
    int iImage = 0;
};
using BROWSEINFOA = BROWSEINFO;
using LPBROWSEINFO = BROWSEINFO*;

inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr UINT BIF_STATUSTEXT = 0x0004;

// Events to the callback (lParam: for BFFM_SELCHANGED the new item, valid during the call).
inline constexpr UINT BFFM_INITIALIZED = 1;
inline constexpr UINT BFFM_SELCHANGED = 2;
// Messages the callback sends to the browser window. BFFM_SETSELECTIONA: wParam TRUE, lParam
// a path; wParam FALSE, lParam an item.
inline constexpr UINT BFFM_SETSTATUSTEXTA = WM_USER + 100;
inline constexpr UINT BFFM_ENABLEOK = WM_USER + 101;
inline constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;

// Runs the browser; the chosen item, or null when the user cancelled or no browser could be
// shown.
PIDLIST_ABSOLUTE SHBrowseForFolder(LPBROWSEINFO bi);
// Writes the item's file-system path into `path`, which must hold kMaxPath (4096) bytes; FALSE
// (and an empty string) for an item without a path or a null item.
BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, LPSTR path);
// Frees memory the shell allocated (item id lists); null is allowed.
void CoTaskMemFree(void* pv);
#endif

namespace vortan::ui {

// Ids of the browser window's controls, which views show and observe.
inline constexpr int kFolderBrowserTemplateId = 1537;
inline constexpr int kFolderBrowserTitleId = 0x3742;     // static: lpszTitle
inline constexpr int kFolderBrowserStatusId = 0x3743;    // static: BFFM_SETSTATUSTEXTA
inline constexpr int kFolderBrowserSelectionId = 0x3744; // edit: the selected path

// Makes an item: with a path, a file-system folder; without, a virtual one. Free it with
// CoTaskMemFree.
PIDLIST_ABSOLUTE CreateItemIdList(const std::optional<std::string>& path);

struct FolderBrowserRequest {
    HWND owner = nullptr;
    HWND browser = nullptr; // the model window; its selection control holds the preselection
    std::string title;
    UINT flags = 0;
    // Call when the user selects another item (nullopt: an item without a path). It updates
    // the selection control and calls the callback with BFFM_SELCHANGED.
    std::function<void(const std::optional<std::string>& path)> selectionChanged;
};

struct FolderBrowserAnswer {
    bool confirmed = false;
    std::optional<std::string> path; // the chosen item's path; nullopt for one without
};

// Lets the user choose a folder: a Qt dialog, the answer file, or a fake in tests. Called on
// the window thread; it may run a nested loop. It must not throw.
class IFolderBrowserService {
public:
    virtual ~IFolderBrowserService() = default;
    virtual FolderBrowserAnswer Run(const FolderBrowserRequest& request) = 0;

protected:
    IFolderBrowserService() = default;
    IFolderBrowserService(const IFolderBrowserService&) = default;
    IFolderBrowserService& operator=(const IFolderBrowserService&) = default;
};

// Installs the service and returns the one it replaces. Without one every browser is cancelled.
IFolderBrowserService* SetFolderBrowserService(IFolderBrowserService* service);
IFolderBrowserService* GetFolderBrowserService();

} // namespace vortan::ui
