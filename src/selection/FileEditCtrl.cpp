#include "selection/FileEditCtrl.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

#include "platform/afx/InvalidArgException.h"
#include "platform/afx/NotSupportedException.h"
#include "platform/fs/FileApi.h"
#include "platform/fs/FileSearch.h"
#include "platform/fs/Path.h"
#include "platform/profile/PrivateProfile.h"
#include "platform/profile/ProfileText.h"
#include "platform/text/Ascii.h"
#include "platform/text/SafeFormat.h"
#include "platform/ui/CommCtrl.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WindowModel.h"
#include "resources/TextKeys.h"
#include "selection/FECFileDialog.h"

namespace {

CFileEditCtrl* g_pCurrent = nullptr;
std::map<HWND, CFileEditCtrl*> g_controls; // the window thread's controls by window

constexpr DWORD kFileDialogFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;

// White space as the edit text holds it: bytes of multibyte characters never count.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void TrimRight(std::string& text) {
    while (!text.empty() && IsBlank(text.back()))
        text.pop_back();
}

bool IsNetworkPath(const std::string& path) {
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

// Entries with a drive or a network path are used as they stand; others are taken from the
// first entry's folder.
bool IsAbsolute(const std::string& path) {
    return vortan::fs::BeginsWithDrive(path) || IsNetworkPath(path);
}

bool IsShortcutName(std::string_view name) {
    return name.size() >= 4 && vortan::text::EqualsNoCase(name.substr(name.size() - 4), ".lnk");
}

// The full form of a path; a network path or one too long to convert stays as it is.
std::string FullPathOrSame(const std::string& path) {
    if (IsNetworkPath(path))
        return path;
    return vortan::fs::FullPath(path).value_or(path);
}

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}
LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

void Normalize(RECT& rect) {
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);
}

} // namespace

CFileEditCtrl::CFileEditCtrl(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {
    g_pCurrent = this;
}

CFileEditCtrl::~CFileEditCtrl() {
    m_Files.clear();
    m_pBROWSEINFO.reset();
    m_pCFileDialog.reset();
    if (m_hWnd != nullptr) {
        g_controls.erase(m_hWnd);
        if (::IsWindow(m_hWnd)) {
            // The window outlives the object only if it was a dialog's item: give it back.
            vortan::win::SubclassWindow(m_hWnd, m_prevProc);
            if (m_bCreatedWindow)
                ::DestroyWindow(m_hWnd);
        }
    }
    if (g_pCurrent == this)
        g_pCurrent = nullptr;
}

CFileEditCtrl* CFileEditCtrl::GetCurrent() {
    return g_pCurrent;
}

CFileEditCtrl* CFileEditCtrl::FromHandle(HWND hwnd) {
    const auto it = g_controls.find(hwnd);
    return it != g_controls.end() && ::IsWindow(hwnd) ? it->second : nullptr;
}

void CFileEditCtrl::Attach(HWND hwnd, bool created) {
    m_hWnd = hwnd;
    m_bCreatedWindow = created;
    g_controls[hwnd] = this;
    m_prevProc =
        vortan::win::SubclassWindow(hwnd, [this](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
            return WindowProc(message, wParam, lParam);
        });
}

BOOL CFileEditCtrl::Create(FileEditFlags dwFlags, DWORD dwExStyle, LPCSTR lpszWindowName,
                           DWORD dwStyle, const RECT& rect, HWND hParentWnd, UINT nID) {
    (void)dwExStyle; // the model draws no extended frames
    if (m_hWnd != nullptr || hParentWnd == nullptr || !::IsWindow(hParentWnd))
        return FALSE;
    vortan::win::DialogItem item;
    item.id = static_cast<int>(nID);
    item.kind = vortan::win::WindowKind::Edit;
    item.text = lpszWindowName != nullptr ? lpszWindowName : "";
    item.style = dwStyle;
    const HWND hwnd = vortan::win::CreateControl(hParentWnd, item);
    if (hwnd == nullptr)
        return FALSE;
    Attach(hwnd, true);
    ::SetWindowPos(hwnd, nullptr, rect.left, rect.top, Width(rect), Height(rect),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (!SetFlags(dwFlags)) {
        const HWND window = m_hWnd;
        g_controls.erase(window);
        vortan::win::SubclassWindow(window, m_prevProc);
        m_hWnd = nullptr;
        ::DestroyWindow(window);
        return FALSE;
    }
    return TRUE;
}

BOOL CFileEditCtrl::SubclassDlgItem(UINT nID, HWND hParent) {
    const HWND item = ::GetDlgItem(hParent, static_cast<int>(nID));
    if (item == nullptr || m_hWnd != nullptr || FromHandle(item) != nullptr)
        return FALSE;
    std::array<char, 16> className{};
    if (::GetClassName(item, className.data(), static_cast<int>(className.size())) == 0 ||
        std::strcmp(className.data(), "Edit") != 0)
        return FALSE;
    Attach(item, false);
    return TRUE;
}

BOOL CFileEditCtrl::SetFlags(FileEditFlags dwFlags) {
    m_bModified = TRUE;
    if ((dwFlags & FolderMode) != 0) {
        if ((dwFlags & FileMode) != 0)
            return FALSE;
        if (!m_pBROWSEINFO) {
            m_pBROWSEINFO = std::make_unique<BROWSEINFO>();
            m_pCFileDialog.reset();
            m_pBROWSEINFO->hwndOwner = m_hWnd;
            m_pBROWSEINFO->lParam = reinterpret_cast<LPARAM>(this);
            m_pBROWSEINFO->lpfn = &CFileEditCtrl::FolderCallback;
            m_pBROWSEINFO->ulFlags = BIF_RETURNONLYFSDIRS;
        }
    } else {
        if ((dwFlags & FileMode) == 0)
            return FALSE;
        if (m_pCFileDialog) {
            OPENFILENAME& ofn = m_pCFileDialog->m_ofn;
            ofn.Flags = (dwFlags & MultipleFiles) != 0 ? ofn.Flags | OFN_ALLOWMULTISELECT
                                                       : ofn.Flags & ~OFN_ALLOWMULTISELECT;
            ofn.Flags = (dwFlags & KeepShortcuts) != 0 ? ofn.Flags | OFN_NODEREFERENCELINKS
                                                       : ofn.Flags & ~OFN_NODEREFERENCELINKS;
        } else {
            if (!LookupText(vortan::resources::kTextFileFilter, m_strFilter))
                m_strFilter = "Alle Dateien (*.*)|*.*||";
            m_pCFileDialog = std::make_unique<CFECFileDialog>(
                (dwFlags & OpenDialog) != 0 ? TRUE : FALSE, nullptr, nullptr, kFileDialogFlags,
                m_strFilter.c_str(), m_hWnd);
            m_pBROWSEINFO.reset();
            OPENFILENAME& ofn = m_pCFileDialog->m_ofn;
            if ((dwFlags & MultipleFiles) != 0)
                ofn.Flags |= OFN_ALLOWMULTISELECT;
            if ((dwFlags & KeepShortcuts) != 0)
                ofn.Flags |= OFN_NODEREFERENCELINKS;
            ofn.hwndOwner = m_hWnd;
            if (!LookupText(vortan::resources::kTextFileDialogTitle, m_strDialogTitle))
                m_strDialogTitle = "Dateien auf den Parametrierungsspeicher schreiben";
            ofn.lpstrTitle = m_strDialogTitle.c_str();
        }
    }
    const int side = static_cast<int>(dwFlags & ButtonOnLeft);
    if (side != m_nButtonSide) {
        m_nButtonSide = side;
        RecalcFrame();
    }
    m_dwFlags = dwFlags;
    return TRUE;
}

FileEditFlags CFileEditCtrl::GetFlags() const {
    FileEditFlags flags = m_dwFlags;
    if (m_pCFileDialog) {
        // Changes a host makes to the dialog's own flags show through.
        const DWORD ofnFlags = m_pCFileDialog->m_ofn.Flags;
        flags =
            (ofnFlags & OFN_ALLOWMULTISELECT) != 0 ? flags | MultipleFiles : flags & ~MultipleFiles;
        flags = (ofnFlags & OFN_NODEREFERENCELINKS) != 0 ? flags | KeepShortcuts
                                                         : flags & ~KeepShortcuts;
    }
    return flags;
}

BOOL CFileEditCtrl::ModifyFlags(FileEditFlags remove, FileEditFlags add) {
    return SetFlags((GetFlags() & ~remove) | add);
}

OPENFILENAME* CFileEditCtrl::GetOpenFileName() {
    return m_pCFileDialog ? &m_pCFileDialog->m_ofn : nullptr;
}

void CFileEditCtrl::SetProfile(const std::string& file, const std::string& section) {
    m_strProfileFile = file;
    m_strProfileSection = section;
}

BOOL CFileEditCtrl::LookupText(int number, std::string& text) const {
    return vortan::profile::LookupProfileText(m_strProfileFile.c_str(), m_strProfileSection.c_str(),
                                              number, text)
               ? TRUE
               : FALSE;
}

void CFileEditCtrl::ParseText() {
    m_strFolder.clear();
    m_Files.clear();
    const std::string text = m_hWnd != nullptr ? vortan::win::GetWindowTextString(m_hWnd) : "";
    std::size_t i = 0;
    const auto skipSeparators = [&] {
        while (i < text.size() && (text[i] == ';' || IsBlank(text[i])))
            ++i;
    };
    // The piece up to the next separator, and whether a separator ended it.
    const auto takePiece = [&](bool& separated) {
        const std::size_t end = text.find(';', i);
        std::string piece = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        separated = end != std::string::npos;
        i = separated ? end + 1 : text.size();
        TrimRight(piece);
        return piece;
    };

    skipSeparators();
    if (i >= text.size())
        return;
    bool separated = false;
    const std::string first = takePiece(separated);

    if ((m_dwFlags & FolderMode) != 0) {
        std::string folder = FullPathOrSame(first);
        if (!IsNetworkPath(folder)) {
            if ((m_dwFlags & TrailingBackslash) != 0) {
                if (!vortan::fs::IsPathSeparator(folder.back()) &&
                    folder.size() + 1 < vortan::fs::kMaxPath)
                    folder += vortan::fs::kPathSeparator;
            } else if (!folder.empty() && vortan::fs::IsPathSeparator(folder.back()) &&
                       !vortan::fs::IsDriveRoot(folder)) {
                folder.pop_back(); // a drive's root keeps its separator
            }
        }
        m_Files.push_back(std::move(folder));
        return;
    }

    const vortan::fs::PathParts parts = vortan::fs::SplitPath(first);
    m_strFolder = parts.drive + parts.directory;
    AddName(parts.name + parts.extension);
    if ((m_dwFlags & MultipleFiles) == 0)
        return;
    while (separated) {
        skipSeparators();
        if (i >= text.size())
            break;
        AddName(takePiece(separated));
    }
}

void CFileEditCtrl::AddName(const std::string& name) {
    if ((m_dwFlags & ExpandWildcards) != 0 && name.find_first_of("*?") != std::string::npos) {
        const std::string pattern = FullPathOrSame(IsAbsolute(name) ? name : m_strFolder + name);
        for (const std::string& match : vortan::fs::FindFiles(pattern)) {
            const DWORD attributes = ::GetFileAttributesA(match.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES ||
                (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                continue;
            AppendEntry(match);
            if ((m_dwFlags & MultipleFiles) == 0)
                break;
        }
        return;
    }
    AppendEntry(name);
}

void CFileEditCtrl::AppendEntry(std::string name) {
    if ((m_dwFlags & KeepShortcuts) == 0 && IsShortcutName(name))
        ResolveShortcut(name);
    if (!m_strFolder.empty() && name.compare(0, m_strFolder.size(), m_strFolder) == 0)
        name.erase(0, m_strFolder.size());
    // An entry without a name (a first entry that names only a folder) lists nothing.
    if (name.empty())
        return;
    m_Files.push_back(std::move(name));
}

POSITION CFileEditCtrl::GetStartPosition() {
    if (m_bModified && m_hWnd != nullptr)
        ParseText();
    m_bModified = FALSE;
    return m_Files.empty() ? nullptr : PositionFromIndex(1);
}

std::string CFileEditCtrl::GetNextPathName(POSITION& pos) const {
    const std::uintptr_t position = IndexFromPosition(pos);
    if (position == 0 || position > m_Files.size())
        AfxThrowInvalidArgException();
    const std::size_t index = position - 1;
    const std::string& entry = m_Files[index];
    std::string path = FullPathOrSame(IsAbsolute(entry) ? entry : m_strFolder + entry);
    if ((m_dwFlags & FileMode) != 0 && (m_dwFlags & KeepShortcuts) == 0 && IsShortcutName(path))
        ResolveShortcut(path);
    pos = index + 1 < m_Files.size() ? PositionFromIndex(index + 2) : nullptr;
    return path;
}

BOOL CFileEditCtrl::ResolveShortcut(std::string& path) {
    const auto target = vortan::fs::ReadShortcutTarget(path);
    if (!target)
        return FALSE;
    path = *target;
    return TRUE;
}

int CFileEditCtrl::Browse() {
    const HWND parent = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    FileEditNotify notify;
    notify.hdr.hwndFrom = m_hWnd;
    notify.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    notify.pFEC = this;
    if (parent != nullptr && ::IsWindow(parent)) {
        notify.hdr.code = NotifyPreBrowse;
        const LRESULT reply =
            ::SendMessage(parent, WM_NOTIFY, notify.hdr.idFrom, reinterpret_cast<LPARAM>(&notify));
        if (reply != 0)
            return static_cast<int>(reply);
    }
    BOOL result = FALSE;
    if ((m_dwFlags & FolderMode) != 0 && m_pBROWSEINFO)
        result = BrowseForFolder();
    else if ((m_dwFlags & FileMode) != 0 && m_pCFileDialog)
        result = BrowseForFile();
    else
        return 0;
    if (result && parent != nullptr && ::IsWindow(parent)) {
        notify.hdr.code = NotifyPostBrowse;
        return static_cast<int>(
            ::SendMessage(parent, WM_NOTIFY, notify.hdr.idFrom, reinterpret_cast<LPARAM>(&notify)));
    }
    return result;
}

bool DeepestExistingFolder(std::string& path) {
    bool existed = true;
    for (;;) {
        const DWORD attributes =
            path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            break;
        existed = false;
        const std::size_t separator = vortan::fs::FindLastSeparator(path);
        // A drive's root keeps its separator: "/missing" is cut back to "/".
        const std::size_t end =
            separator != std::string::npos &&
                    vortan::fs::IsDriveRoot(std::string_view(path).substr(0, separator + 1))
                ? separator + 1
                : separator;
        if (separator == std::string::npos || end >= path.size()) {
            path.clear(); // nothing above it, or a drive root that is missing
            return false;
        }
        path.erase(end);
    }
    if (!vortan::fs::IsPathSeparator(path.back()))
        path += vortan::fs::kPathSeparator;
    return existed;
}

BOOL CFileEditCtrl::BrowseForFile() {
    CFECFileDialog& dialog = *m_pCFileDialog;
    OPENFILENAME& ofn = dialog.m_ofn;
    const bool derivedStart = ofn.lpstrInitialDir == nullptr;
    if (derivedStart) {
        std::string path;
        if (POSITION pos = GetStartPosition())
            path = GetNextPathName(pos);
        const DWORD attributes =
            path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
        const bool isFile = attributes != INVALID_FILE_ATTRIBUTES
                                ? (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0
                                : (ofn.Flags & OFN_FILEMUSTEXIST) == 0;
        if (ofn.lpstrFile != nullptr && ofn.nMaxFile > 0) {
            std::string name;
            if (isFile) {
                const vortan::fs::PathParts parts = vortan::fs::SplitPath(path);
                name = parts.name + parts.extension;
            }
            const std::size_t length = std::min<std::size_t>(name.size(), ofn.nMaxFile - 1);
            std::memcpy(ofn.lpstrFile, name.data(), length);
            ofn.lpstrFile[length] = '\0';
        }
        DeepestExistingFolder(path);
        m_strInitialDir = path;
        ofn.lpstrInitialDir = m_strInitialDir.c_str();
    }

    const bool confirmed = dialog.DoModal() == IDOK;
    if (!confirmed) {
        const DWORD error = ::CommDlgExtendedError();
        if (error == FNERR_BUFFERTOOSMALL) {
            std::string text;
            std::string caption;
            LookupText(vortan::resources::kTextTooManyFiles, text);
            LookupText(vortan::resources::kTextCaption, caption);
            ::MessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_ICONEXCLAMATION);
        } else if (error != 0) {
            const std::string text =
                vortan::text::FormatOne("Internal error: Errorcode: %d", 'd', std::to_string(error),
                                        vortan::text::kMaxTextBytes);
            ::MessageBox(m_hWnd, text.c_str(), "Common dialog failed", MB_ICONEXCLAMATION);
        }
        m_nLastFileDialogResult = IDCANCEL;
    } else {
        m_nLastFileDialogResult = IDOK;
        std::string text;
        for (POSITION pos = dialog.GetStartPosition(); pos != nullptr;) {
            const std::string path = dialog.GetNextPathName(pos);
            if (text.empty()) {
                text = path;
            } else {
                const vortan::fs::PathParts parts = vortan::fs::SplitPath(path);
                text += "; " + parts.name + parts.extension;
            }
        }
        ::SetWindowText(m_hWnd, text.c_str());
    }
    if (derivedStart)
        ofn.lpstrInitialDir = nullptr;
    ::SetFocus(m_hWnd);
    return confirmed ? TRUE : FALSE;
}

BOOL CFileEditCtrl::BrowseForFolder() {
    BOOL result = FALSE;
    if (LPITEMIDLIST item = ::SHBrowseForFolder(m_pBROWSEINFO.get())) {
        std::vector<char> buffer(vortan::fs::kMaxPath, '\0');
        if (::SHGetPathFromIDList(item, buffer.data())) {
            std::string path = buffer.data();
            if ((m_dwFlags & TrailingBackslash) != 0 &&
                (path.empty() || !vortan::fs::IsPathSeparator(path.back())))
                path += vortan::fs::kPathSeparator;
            ::SetWindowText(m_hWnd, path.c_str());
            result = TRUE;
        }
        ::CoTaskMemFree(item);
    }
    ::SetFocus(m_hWnd);
    return result;
}

int CFileEditCtrl::FolderCallback(HWND hwnd, UINT message, LPARAM, LPARAM lpData) {
    if (message != BFFM_INITIALIZED)
        return 0;
    auto* control = reinterpret_cast<CFileEditCtrl*>(lpData);
    if (control == nullptr)
        return 0;
    POSITION pos = control->GetStartPosition();
    if (pos == nullptr)
        return 0;
    std::string path = control->GetNextPathName(pos);
    // A network path has no place in this desktop's name space: nothing is preselected.
    if (IsNetworkPath(path))
        return 0;
    if (!path.empty() && vortan::fs::IsPathSeparator(path.back()) && !vortan::fs::IsDriveRoot(path))
        path.pop_back();
    ::SendMessage(hwnd, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    return 0;
}

void CFileEditCtrl::RecalcFrame() {
    if (m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CFileEditCtrl::OnDropFiles(HDROP hDrop) {
    const UINT count = ::DragQueryFile(hDrop, 0xFFFFFFFF, nullptr, 0);
    const bool all = (m_dwFlags & FileMode) != 0 && (m_dwFlags & MultipleFiles) != 0;
    const UINT taken = all ? count : std::min<UINT>(count, 1);
    std::string text;
    std::size_t folderLength = 0;
    std::vector<char> buffer(vortan::fs::kMaxPath, '\0');
    for (UINT i = 0; i < taken; ++i) {
        // A name too long for a path is passed over, never cut into another name.
        if (::DragQueryFile(hDrop, i, nullptr, 0) >= vortan::fs::kMaxPath)
            continue;
        ::DragQueryFile(hDrop, i, buffer.data(), static_cast<UINT>(buffer.size()));
        std::string item = buffer.data();
        if ((m_dwFlags & FileMode) != 0 && (m_dwFlags & KeepShortcuts) == 0 && IsShortcutName(item))
            ResolveShortcut(item);
        if (text.empty()) {
            text = item;
            const vortan::fs::PathParts parts = vortan::fs::SplitPath(item);
            folderLength = parts.drive.size() + parts.directory.size();
            continue;
        }
        if (item.size() >= folderLength && text.size() >= folderLength &&
            item.compare(0, folderLength, text, 0, folderLength) == 0)
            item.erase(0, folderLength);
        text += "; " + item;
    }
    ::DragFinish(hDrop);
    ::SetWindowText(m_hWnd, text.c_str());
    ::SetFocus(m_hWnd);
}

void CFileEditCtrl::OnNcCalcSize(BOOL bCalcValidRects, LPARAM lParam) {
    RECT* client = bCalcValidRects ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                   : reinterpret_cast<RECT*>(lParam);
    if (client == nullptr)
        return;
    m_rcButton = *client;
    const LONG width = (8 * Height(*client)) / 10;
    if (m_nButtonSide == static_cast<int>(ButtonOnLeft)) {
        client->left += width;
        m_rcButton.right = client->left;
    } else {
        client->right -= width + 1;
        m_rcButton.left = client->right - 1;
    }
    if (bCalcValidRects) {
        const RECT& window = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[1];
        OffsetRect(&m_rcButton, -window.left, -window.top);
    }
    Normalize(m_rcButton);
}

bool CFileEditCtrl::ScreenPointOnButton(POINT screen) const {
    RECT window;
    if (!::GetWindowRect(m_hWnd, &window))
        return false;
    const POINT point{screen.x - window.left, screen.y - window.top};
    return ::PtInRect(&m_rcButton, point) != FALSE;
}

bool CFileEditCtrl::ClientPointOnButton(LPARAM lParam) const {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(m_hWnd, &point);
    return ScreenPointOnButton(point);
}

void CFileEditCtrl::DrawDots(vortan::ui::IDeviceContext& dc, COLORREF color, int shift) const {
    const int width = Width(m_rcButton);
    const int height = Height(m_rcButton);
    const int size = width / 10;
    const int spacing = width / 4;
    const int x0 = m_rcButton.left + width / 2 - spacing - (width % 4 == 0 ? 1 : 0) + shift;
    // Counted from the window's top edge, as the button always spans the whole height.
    const int y = height / 2 - size / 2 + 1 + shift;
    for (int dot = 0; dot < 3; ++dot) {
        const int x = x0 + dot * spacing;
        if (size < 2)
            dc.SetPixel(x, y, color);
        else
            dc.Ellipse(RECT{x, y, x + size, y + size}, color, color);
    }
}

void CFileEditCtrl::DrawButton(int nButtonState) {
    if (m_hWnd != nullptr && !::IsWindowEnabled(m_hWnd))
        nButtonState = ButtonDisabled;
    if (vortan::ui::IDeviceContext* dc =
            m_hWnd != nullptr ? vortan::ui::GetWindowDeviceContext(m_hWnd) : nullptr) {
        const COLORREF face = ::GetSysColor(COLOR_3DFACE);
        if (nButtonState == ButtonDown) {
            dc->Rectangle(m_rcButton, ::GetSysColor(COLOR_3DSHADOW), face);
            DrawDots(*dc, ::GetSysColor(COLOR_BTNTEXT), 1);
        } else {
            dc->Rectangle(m_rcButton, face, face);
            dc->DrawEdge(m_rcButton, EDGE_RAISED, BF_RECT);
            if (nButtonState == ButtonDisabled) {
                DrawDots(*dc, ::GetSysColor(COLOR_3DHILIGHT), 1);
                DrawDots(*dc, ::GetSysColor(COLOR_GRAYTEXT), 0);
            } else {
                DrawDots(*dc, ::GetSysColor(COLOR_BTNTEXT), 0);
            }
        }
    }
    m_nButtonState = nButtonState;
}

RECT CFileEditCtrl::GetToolRect(UINT_PTR tool) const {
    return tool == 1 || tool == 2 ? m_rcTools[tool - 1] : RECT{};
}

void CFileEditCtrl::EnsureTooltip() {
    if ((m_dwFlags & (ButtonTooltip | EditTooltip)) == 0 || m_hWnd == nullptr)
        return;
    // Tool 1 is the button in client coordinates, tool 2 the client area.
    RECT button = m_rcButton;
    const RECT client = vortan::win::GetClientAreaInWindow(m_hWnd);
    OffsetRect(&button, -client.left, -client.top);
    m_rcTools[0] = button;
    ::GetClientRect(m_hWnd, &m_rcTools[1]);
    m_bTooltipCreated = TRUE;
}

LRESULT CFileEditCtrl::OnNeedText(NMHDR* header) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    m_strToolText.clear();
    if (header->idFrom == 1 && (m_dwFlags & ButtonTooltip) != 0) {
        if (!LookupText(vortan::resources::kTextFileFilter, m_strToolText))
            m_strToolText = "Durchsuchen";
    } else if (header->idFrom == 2 && (m_dwFlags & EditTooltip) != 0) {
        m_strToolText = m_strEditTooltipText;
    }
    info->lpszText = m_strToolText.data();
    return TRUE;
}

LRESULT CFileEditCtrl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return vortan::win::CallWindowProcedure(m_prevProc, m_hWnd, message, wParam, lParam);
}

LRESULT CFileEditCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_bTooltipCreated)
        EnsureTooltip();
    switch (message) {
    case WM_SETFOCUS: {
        const LRESULT result = Default(message, wParam, lParam);
        ::SendMessage(m_hWnd, EM_SETSEL, 0, -1);
        ::SendMessage(m_hWnd, EM_SCROLLCARET, 0, 0);
        return result;
    }
    case WM_SETTEXT:
        m_bModified = TRUE;
        return Default(message, wParam, lParam);
    case OCM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) {
            m_bModified = TRUE;
            return 0; // the parent hears of it as well
        }
        return Default(message, wParam, lParam);
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_NCCALCSIZE: {
        const LRESULT result = Default(message, wParam, lParam);
        OnNcCalcSize(static_cast<BOOL>(wParam), lParam);
        return result;
    }
    case WM_NCPAINT: {
        const LRESULT result = Default(message, wParam, lParam);
        DrawButton(m_nButtonState);
        return result;
    }
    case WM_NCHITTEST: {
        const LRESULT hit = Default(message, wParam, lParam);
        if (hit == HTNOWHERE &&
            ScreenPointOnButton(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            return HTBORDER;
        return hit;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
        const LRESULT result = Default(message, wParam, lParam);
        if (!ScreenPointOnButton(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            return result;
        ::SetFocus(m_hWnd);
        ::SetCapture(m_hWnd);
        m_bCaptured = TRUE;
        DrawButton(ButtonDown);
        return result;
    }
    case WM_MOUSEMOVE: {
        const LRESULT result = Default(message, wParam, lParam);
        if (m_bCaptured) {
            const bool onButton = ClientPointOnButton(lParam);
            if (onButton && m_nButtonState != ButtonDown)
                DrawButton(ButtonDown);
            else if (!onButton && m_nButtonState != ButtonUp)
                DrawButton(ButtonUp);
        }
        return result;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = Default(message, wParam, lParam);
        if (m_bCaptured) {
            ::ReleaseCapture();
            m_bCaptured = FALSE;
            if (m_nButtonState != ButtonUp)
                DrawButton(ButtonUp);
            if (ClientPointOnButton(lParam))
                Browse();
        }
        return result;
    }
    case WM_KEYDOWN:
        if ((::GetKeyState(VK_CONTROL) & 0x8000) != 0 &&
            (wParam == VK_OEM_PERIOD || wParam == VK_DECIMAL)) {
            Browse();
            return 0;
        }
        return Default(message, wParam, lParam);
    case WM_ENABLE: {
        const LRESULT result = Default(message, wParam, lParam);
        DrawButton(wParam != 0 ? ButtonUp : ButtonDisabled);
        return result;
    }
    case WM_SIZE: {
        const LRESULT result = Default(message, wParam, lParam);
        RecalcFrame();
        if (m_bTooltipCreated)
            EnsureTooltip();
        return result;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header != nullptr && header->code == TTN_NEEDTEXTA)
            return OnNeedText(header);
        return Default(message, wParam, lParam);
    }
    case WM_DESTROY: {
        const LRESULT result = Default(message, wParam, lParam);
        PostNcDestroy();
        return result;
    }
    default:
        return Default(message, wParam, lParam);
    }
}

void CFileEditCtrl::PostNcDestroy() {
    g_controls.erase(m_hWnd);
    m_hWnd = nullptr; // the window goes on without this object's handler
    if (m_bAutoDelete)
        delete this; // the window owned a self-deleting control
}

void DDX_FileEditCtrl(CDataExchange* pDX, int nIDC, CFileEditCtrl& rCFEC, FileEditFlags dwFlags) {
    if (rCFEC.m_hWnd == nullptr) {
        pDX->PrepareEditCtrl(nIDC);
        if (!rCFEC.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_hWndDlg))
            AfxThrowNotSupportedException();
        if (!rCFEC.SetFlags(dwFlags))
            AfxThrowNotSupportedException();
        return;
    }
    if (pDX->m_bSaveAndValidate && rCFEC.m_bModified) {
        rCFEC.ParseText();
        rCFEC.m_bModified = FALSE;
    }
}

void DDV_FileEditCtrl(CDataExchange* pDX, int nIDC) {
    CFileEditCtrl* control = CFileEditCtrl::FromHandle(pDX->PrepareEditCtrl(nIDC));
    if (control == nullptr)
        AfxThrowNotSupportedException();
    if (!pDX->m_bSaveAndValidate)
        return;
    // The texts come through the current control, whichever control is checked.
    const CFileEditCtrl* texts = CFileEditCtrl::GetCurrent();
    const auto message = [texts](int number, const char* builtIn) {
        std::string text;
        if (texts == nullptr || !texts->LookupText(number, text))
            text = builtIn;
        return text;
    };
    POSITION pos = control->GetStartPosition();
    if (pos == nullptr) {
        ::AfxMessageBox(
            message(vortan::resources::kTextNoFile, "Die Datei existiert nicht.").c_str(), MB_OK);
        pDX->Fail();
    }
    const FileEditFlags flags = control->GetFlags();
    while (pos != nullptr) {
        const std::string path = control->GetNextPathName(pos);
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        int number = 0;
        const char* builtIn = nullptr;
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            number = vortan::resources::kTextPathMissing;
            builtIn = "%s existiert nicht.";
        } else if ((flags & FolderMode) != 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            number = vortan::resources::kTextNotAFolder;
            builtIn = "%s ist kein Verzeichnis.";
        } else if ((flags & FileMode) != 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            number = vortan::resources::kTextNotAFile;
            builtIn = "%s ist keine Datei.";
        } else {
            continue;
        }
        const std::string text = vortan::text::FormatOne(message(number, builtIn), 's', path,
                                                         vortan::text::kMaxTextBytes);
        ::AfxMessageBox(text.c_str(), MB_OK);
        pDX->Fail();
    }
}
