#include <cstring>
#include <shlobj.h> // DROPFILES
#include <string>

#include "platform/ui/ShellApi.h"
#include "vortan/text/Utf.h"

namespace {

std::string DroppedName(HDROP drop, UINT index) {
    const UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0)
        return {};
    std::wstring name(length + 1, L'\0');
    name.resize(::DragQueryFileW(drop, index, name.data(), length + 1));
    return vortan::text::Utf16ToUtf8(name);
}

} // namespace

UINT VortanDragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
    if (iFile == 0xFFFFFFFF)
        return ::DragQueryFileW(hDrop, iFile, nullptr, 0);
    const std::string name = DroppedName(hDrop, iFile);
    if (lpszFile == nullptr || cch == 0)
        return static_cast<UINT>(name.size());
    const std::size_t length = vortan::text::Utf8PrefixLength(name, cch - 1);
    std::memcpy(lpszFile, name.data(), length);
    lpszFile[length] = '\0';
    return static_cast<UINT>(length);
}

namespace vortan::ui {

HDROP CreateDrop(const std::vector<std::string>& paths) {
    // DROPFILES followed by the wide names, each ended by a NUL, the list by another.
    std::wstring names;
    for (const std::string& path : paths) {
        names += text::Utf8ToUtf16(path);
        names += L'\0';
    }
    names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory == nullptr)
        return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    if (header == nullptr) {
        GlobalFree(memory);
        return nullptr;
    }
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

} // namespace vortan::ui
