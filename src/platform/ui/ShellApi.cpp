#include "platform/ui/ShellApi.h"

#include <cstring>
#include <map>
#include <memory>

namespace vortan::ui {
namespace {

// Drops by handle, so that a stale or unknown handle is refused rather than followed.
std::map<std::uintptr_t, std::vector<std::string>> g_drops;
std::uintptr_t g_nextDrop = 0x1000;

const std::vector<std::string>* FindDrop(HDROP drop) {
    const auto it = g_drops.find(reinterpret_cast<std::uintptr_t>(drop));
    return it != g_drops.end() ? &it->second : nullptr;
}

} // namespace

HDROP CreateDrop(const std::vector<std::string>& paths) {
    const std::uintptr_t handle = g_nextDrop++;
    g_drops.emplace(handle, paths);
    return reinterpret_cast<HDROP>(handle);
}

} // namespace vortan::ui

UINT DragQueryFile(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
    const std::vector<std::string>* paths = vortan::ui::FindDrop(hDrop);
    if (paths == nullptr)
        return 0;
    if (iFile == 0xFFFFFFFF)
        return static_cast<UINT>(paths->size());
    if (iFile >= paths->size())
        return 0;
    const std::string& path = (*paths)[iFile];
    if (lpszFile == nullptr || cch == 0)
        return static_cast<UINT>(path.size());
    const std::size_t length = std::min<std::size_t>(path.size(), cch - 1);
    std::memcpy(lpszFile, path.data(), length);
    lpszFile[length] = '\0';
    return static_cast<UINT>(length);
}

void DragFinish(HDROP hDrop) {
    vortan::ui::g_drops.erase(reinterpret_cast<std::uintptr_t>(hDrop));
}
