#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileListEntry.h"
#include "platform/WinDef.h"
#include "platform/fs/LocalTimeZone.h"

// The files of one transfer, in the order they were added. The list owns its entries; the
// pointers it hands out stay valid until RemoveAll or the list's end. A negative index raises
// CInvalidArgException in every operation that takes one.
class CFileList final {
public:
    CFileList() = default;
    ~CFileList();
    CFileList(const CFileList&) = delete;
    CFileList& operator=(const CFileList&) = delete;

    // Adds an entry for a local file; a missing file still gets one, named by the whole path.
    // The compressed flag is ignored. Returns the new index, or -1 for an empty path.
    int AddFile(std::string_view path, BOOL bCompressed);
    // Adds a file per non-empty ';'-separated piece, taken as it is; TRUE if the list is not
    // empty afterwards.
    BOOL AddFileList(std::string_view list);

    int GetCount() const;
    // Null past the end.
    FileListEntry* GetEntry(int nIndex) const;
    // Sum of the leading numbers of the size texts, wrapping at 2^32.
    DWORD GetTotalSize() const;

    // Sets every entry's target directory exactly as given.
    BOOL SetTargetDirectory(std::string_view directory);
    // Target directory and name from a full path; an empty path clears both.
    void SetTargetPath(int nIndex, std::string_view path);
    // Composes target directory + "/" + target name into strPath and tests whether it exists.
    // A composed path the system refuses (kMaxPath bytes or more, a NUL inside) is handed out
    // whole and reported missing. Past the end: FALSE, strPath untouched, *ppEntry null.
    BOOL TargetExists(int nIndex, std::string& strPath, FileListEntry** ppEntry) const;
    // First entry whose name equals `name` byte for byte, or null.
    FileListEntry* FindByName(std::string_view name) const;
    // TRUE if every name fits 8.3; else the first offender's name and extension go to strName,
    // never cut.
    BOOL CheckShortNames(std::string& strName) const;
    void RemoveAll();

private:
    std::vector<std::unique_ptr<FileListEntry>> m_entries;
    // Taken at the first file that has a date: one look at the zone per list.
    std::optional<vortan::fs::LocalTimeZone> m_zone;
};
