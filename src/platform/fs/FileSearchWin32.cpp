#include <algorithm>
#include <memory>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/fs/FileSearch.h"
#include "platform/fs/Path.h"
#include "vortan/com/ComPtr.h"

namespace vortan::fs {
namespace {

struct FindCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

// COM on this thread for the length of a call: the program's apartment when there is one,
// else one of its own.
class ScopedApartment final {
public:
    ScopedApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ScopedApartment() {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    ScopedApartment(const ScopedApartment&) = delete;
    ScopedApartment& operator=(const ScopedApartment&) = delete;

private:
    HRESULT m_hr;
};

// The path a shell link file stores, as it stands: Resolve is never called, so a moved target
// is not searched for and nothing is written back into the link.
std::optional<std::string> StoredLinkPath(const std::string& path) {
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0)
        return std::nullopt;
    std::wstring widePath(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), wideLength);

    com::ComPtr<IShellLinkA> link;
    com::ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.OutVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid())) ||
        FAILED(file->Load(widePath.c_str(), STGM_READ)))
        return std::nullopt;
    char target[kMaxPath] = {};
    WIN32_FIND_DATAA found{};
    // S_FALSE: the link names a shell item that is no file.
    if (link->GetPath(target, static_cast<int>(sizeof target), &found, 0) != S_OK ||
        target[0] == '\0')
        return std::nullopt;
    return std::string(target);
}

} // namespace

std::vector<std::string> FindFiles(std::string_view pattern) {
    std::vector<std::string> matches;
    const std::size_t separator = pattern.find_last_of("\\/");
    if (separator == std::string_view::npos || !IsUsablePath(pattern))
        return matches;
    const std::string folder(pattern.substr(0, separator + 1));
    WIN32_FIND_DATAA entry{};
    const HANDLE first = FindFirstFileA(std::string(pattern).c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE)
        return matches;
    const std::unique_ptr<void, FindCloser> search(first);
    std::vector<std::string> names;
    do {
        const std::string_view name = entry.cFileName;
        if (name != "." && name != "..")
            names.emplace_back(name);
    } while (FindNextFileA(search.get(), &entry));
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (folder.size() + name.size() < kMaxPath)
            matches.push_back(folder + name);
    }
    return matches;
}

std::optional<std::string> ReadShortcutTarget(std::string_view path) {
    if (!IsUsablePath(path))
        return std::nullopt;
    const ScopedApartment apartment;
    const std::optional<std::string> target = StoredLinkPath(std::string(path));
    if (!target || GetFileAttributesA(target->c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::nullopt; // a dangling shortcut stays what it is
    return FullPath(*target);
}

} // namespace vortan::fs
