#include "engine/FileList.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>

#include "engine/FileDate.h"
#include "platform/afx/InvalidArgException.h"
#include "platform/fs/FileStatus.h"
#include "platform/fs/Path.h"

namespace {

void CheckIndex(int nIndex) {
    if (nIndex < 0)
        AfxThrowInvalidArgException();
}

} // namespace

CFileList::~CFileList() {
    RemoveAll();
}

int CFileList::AddFile(std::string_view path, BOOL /*bCompressed*/) {
    if (path.empty())
        return -1;
    try {
        auto entry = std::make_unique<FileListEntry>();
        if (const std::optional<vortan::fs::FileStatus> status = vortan::fs::GetFileStatus(path)) {
            const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(status->size));
            entry->m_strSize = std::to_string(low);
            if (!m_zone)
                m_zone.emplace();
            entry->m_strDate = vortan::engine::FormatFileDate(
                m_zone->ToLocalTime(status->creationTime).value_or(vortan::fs::LocalTime{}));
            vortan::fs::PathParts parts = vortan::fs::SplitPath(path);
            entry->m_strName = parts.name + parts.extension;
            entry->m_strDirectory = parts.drive + parts.directory;
        } else {
            entry->m_strName = path;
        }
        entry->m_strTargetName = entry->m_strName;
        entry->m_bCompressed = 0;
        entry->m_nReserved1 = 1;
        entry->m_nReserved2 = 0;
        const int nIndex = GetCount();
        m_entries.push_back(std::move(entry));
        return nIndex;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

BOOL CFileList::AddFileList(std::string_view list) {
    std::string_view rest = list;
    for (std::size_t p = rest.find(';'); p != std::string_view::npos; p = rest.find(';')) {
        if (p > 0)
            AddFile(rest.substr(0, p), 0);
        rest.remove_prefix(p);
        rest.remove_prefix(std::min(rest.find_first_not_of(';'), rest.size()));
    }
    AddFile(rest, 0);
    return GetCount() > 0 ? TRUE : FALSE;
}

int CFileList::GetCount() const {
    return static_cast<int>(m_entries.size());
}

FileListEntry* CFileList::GetEntry(int nIndex) const {
    CheckIndex(nIndex);
    if (nIndex >= GetCount())
        return nullptr;
    return m_entries[static_cast<std::size_t>(nIndex)].get();
}

DWORD CFileList::GetTotalSize() const {
    DWORD dwTotal = 0;
    for (const auto& entry : m_entries) {
        if (entry != nullptr)
            dwTotal += static_cast<DWORD>(std::strtol(entry->m_strSize.c_str(), nullptr, 10));
    }
    return dwTotal;
}

BOOL CFileList::SetTargetDirectory(std::string_view directory) {
    for (const auto& entry : m_entries) {
        if (entry != nullptr)
            entry->m_strTargetDirectory = directory;
    }
    return TRUE;
}

void CFileList::SetTargetPath(int nIndex, std::string_view path) {
    FileListEntry* pEntry = GetEntry(nIndex);
    if (pEntry == nullptr)
        return;
    if (path.empty()) {
        pEntry->m_strTargetDirectory.clear();
        pEntry->m_strTargetName.clear();
        return;
    }
    const vortan::fs::PathParts parts = vortan::fs::SplitPath(path);
    pEntry->m_strTargetDirectory = parts.drive + parts.directory;
    pEntry->m_strTargetName = parts.name + parts.extension;
}

BOOL CFileList::TargetExists(int nIndex, std::string& strPath, FileListEntry** ppEntry) const {
    if (ppEntry != nullptr)
        *ppEntry = nullptr;
    FileListEntry* pEntry = GetEntry(nIndex);
    if (pEntry == nullptr)
        return FALSE;
    strPath = vortan::fs::JoinPath(pEntry->m_strTargetDirectory, pEntry->m_strTargetName);
    if (ppEntry != nullptr)
        *ppEntry = pEntry;
    // "..", "." or a name with a separator is no file of the directory that a read could
    // replace; the transfer refuses such a name itself.
    if (!vortan::fs::IsNameInDirectory(pEntry->m_strTargetName))
        return FALSE;
    // A path the file system refuses (too long, NUL inside) names no existing file; it is
    // handed out whole so that the transfer of the item fails instead of hitting another file.
    return vortan::fs::FileExists(strPath) ? TRUE : FALSE;
}

FileListEntry* CFileList::FindByName(std::string_view name) const {
    for (const auto& entry : m_entries) {
        if (entry != nullptr && entry->m_strName == name)
            return entry.get();
    }
    return nullptr;
}

BOOL CFileList::CheckShortNames(std::string& strName) const {
    for (const auto& entry : m_entries) {
        if (entry == nullptr)
            continue;
        const vortan::fs::PathParts parts =
            vortan::fs::SplitPath(entry->m_strDirectory + entry->m_strName);
        const std::size_t nTotal = parts.name.size() + parts.extension.size();
        if (parts.name.size() > 8 || parts.extension.size() > 4 || nTotal < 4) {
            strName = parts.name + parts.extension; // whole, however long
            return FALSE;
        }
    }
    return TRUE;
}

void CFileList::RemoveAll() {
    m_entries.clear();
}
