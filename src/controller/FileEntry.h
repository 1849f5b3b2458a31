#pragma once

// The owner of a FileEntryInfo filled by CCtrlAccess::GetFileEntry: the component allocates
// the name, the caller frees it. Out() hands the record to the next call and frees the name
// of the previous one.

#include <string>

#include "vortan/ContractRecords.h"

namespace vortan::controller {

class FileEntry final {
public:
    FileEntry() noexcept = default;
    FileEntry(const FileEntry&) = delete;
    FileEntry& operator=(const FileEntry&) = delete;
    ~FileEntry();

    // Frees the name held and returns the zeroed record for a GetFileEntry call.
    vortan::FileEntryInfo* Out() noexcept;

    BSTR Name() const noexcept { return m_info.bstrName; }
    // The name as program text; empty for a null name.
    std::string NameUtf8() const;
    LONG Size() const noexcept { return m_info.lSize; }

private:
    vortan::FileEntryInfo m_info;
};

} // namespace vortan::controller
