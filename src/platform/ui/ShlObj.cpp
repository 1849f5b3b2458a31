#include "platform/ui/ShlObj.h"

#include <atomic>
#include <cstring>
#include <memory>

#include "platform/ui/DesktopWindows.h"
#include "platform/ui/FolderBrowserModel.h"
#include "platform/win/WindowModel.h"

namespace vortan::ui {
namespace {

std::atomic<IFolderBrowserService*> g_folderBrowserService{nullptr};

// An item is one block from the shell's allocator: a mark, whether it has a path, the path.
constexpr char kItemMark[4] = {'V', 'P', 'I', 'D'};
constexpr std::size_t kHeaderSize = sizeof kItemMark + 1;

win::DialogTemplate BrowserTemplate(const std::string& title, UINT flags) {
    win::DialogTemplate dialog;
    dialog.id = kFolderBrowserTemplateId;
    dialog.caption = "Ordner suchen";
    dialog.cx = 230;
    dialog.cy = 230;
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    dialog.fontName = "MS Sans Serif";
    dialog.fontPointSize = 8;
    dialog.items.push_back({kFolderBrowserTitleId, win::WindowKind::Static, title, 7, 7, 216, 16});
    if ((flags & BIF_STATUSTEXT) != 0)
        dialog.items.push_back(
            {kFolderBrowserStatusId, win::WindowKind::Static, "", 7, 25, 216, 9});
    dialog.items.push_back({kFolderBrowserSelectionId, win::WindowKind::Edit, "", 7, 37, 216, 160,
                            WS_BORDER | ES_READONLY});
    dialog.items.push_back(
        {IDOK, win::WindowKind::Button, "OK", 118, 207, 50, 14, WS_TABSTOP | BS_DEFPUSHBUTTON});
    dialog.items.push_back(
        {IDCANCEL, win::WindowKind::Button, "Abbrechen", 173, 207, 50, 14, WS_TABSTOP});
    return dialog;
}

LRESULT BrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BFFM_SETSTATUSTEXTA:
        SetDlgItemText(hwnd, kFolderBrowserStatusId, reinterpret_cast<const char*>(lParam));
        return 0;
    case BFFM_SETSELECTIONA: {
        const char* path = wParam != 0 ? reinterpret_cast<const char*>(lParam)
                                       : ItemPath(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        SetDlgItemText(hwnd, kFolderBrowserSelectionId, path != nullptr ? path : "");
        return 0;
    }
    case BFFM_ENABLEOK:
        EnableWindow(GetDlgItem(hwnd, IDOK), lParam != 0 ? TRUE : FALSE);
        return 0;
    case WM_COMMAND:
    case WM_CLOSE:
    case WM_KEYDOWN:
        return 0; // the service decides; the model only holds the state
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

struct ItemFree {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};

} // namespace

bool IsModelItem(PCIDLIST_ABSOLUTE pidl) {
    const auto* bytes = reinterpret_cast<const char*>(pidl);
    return bytes != nullptr && std::memcmp(bytes, kItemMark, sizeof kItemMark) == 0;
}

const char* ItemPath(PCIDLIST_ABSOLUTE pidl) {
    const auto* bytes = reinterpret_cast<const char*>(pidl);
    if (!IsModelItem(pidl) || bytes[sizeof kItemMark] == 0)
        return nullptr;
    return bytes + kHeaderSize;
}

PIDLIST_ABSOLUTE CreateItemIdList(const std::optional<std::string>& path) {
    const std::size_t size = kHeaderSize + (path ? path->size() + 1 : 0);
    auto* bytes = static_cast<char*>(AllocateShellMemory(size));
    if (bytes == nullptr)
        return nullptr;
    std::memcpy(bytes, kItemMark, sizeof kItemMark);
    bytes[sizeof kItemMark] = path ? 1 : 0;
    if (path)
        std::memcpy(bytes + kHeaderSize, path->c_str(), path->size() + 1);
    return reinterpret_cast<PIDLIST_ABSOLUTE>(bytes);
}

IFolderBrowserService* SetFolderBrowserService(IFolderBrowserService* service) {
    return g_folderBrowserService.exchange(service);
}

IFolderBrowserService* GetFolderBrowserService() {
    return g_folderBrowserService.load();
}

PIDLIST_ABSOLUTE RunFolderBrowserModel(LPBROWSEINFO bi) {
    if (bi == nullptr)
        return nullptr;
    const std::string title = bi->lpszTitle != nullptr ? bi->lpszTitle : "";
    const HWND browser =
        win::CreateDialogWindow(BrowserTemplate(title, bi->ulFlags), bi->hwndOwner, BrowserProc);
    if (browser == nullptr)
        return nullptr;
    const BFFCALLBACK callback = bi->lpfn;
    const LPARAM data = bi->lParam;
    if (callback != nullptr)
        callback(browser, BFFM_INITIALIZED, 0, data);

    FolderBrowserRequest request;
    request.owner = bi->hwndOwner;
    request.browser = browser;
    request.title = title;
    request.flags = bi->ulFlags;
    request.selectionChanged = [browser, callback, data](const std::optional<std::string>& path) {
        if (!IsWindow(browser))
            return;
        SetDlgItemText(browser, kFolderBrowserSelectionId, path ? path->c_str() : "");
        if (callback == nullptr)
            return;
        const std::unique_ptr<ITEMIDLIST, ItemFree> item(CreateItemIdList(path));
        callback(browser, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item.get()), data);
    };

    FolderBrowserAnswer answer;
    if (IFolderBrowserService* service = GetFolderBrowserService()) {
        try {
            answer = service->Run(request);
        } catch (...) {
            answer = {};
        }
    }
    if (IsWindow(browser))
        DestroyWindow(browser);
    if (!answer.confirmed)
        return nullptr;
    if (bi->pszDisplayName != nullptr) {
        std::string name;
        if (answer.path) {
            std::string path = *answer.path;
            if (path.size() > 1 && path.back() == '/')
                path.pop_back();
            const std::size_t slash = path.rfind('/');
            name = path == "/" || slash == std::string::npos ? path : path.substr(slash + 1);
        }
        const std::size_t length = std::min(name.size(), desktop::kMaxPathBytes - 1);
        std::memcpy(bi->pszDisplayName, name.data(), length);
        bi->pszDisplayName[length] = '\0';
    }
    return CreateItemIdList(answer.path);
}

} // namespace vortan::ui
