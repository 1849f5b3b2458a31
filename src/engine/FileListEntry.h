#pragma once

#include <string>

#include "platform/WinDef.h"

// One file of a transfer. Texts are UTF-8 bytes.
struct FileListEntry {
    std::string m_strDirectory;       // local directory ending in a separator; empty if not found
    std::string m_strName;            // name with extension; the path as given if not found
    std::string m_strSize;            // low 32 bits of the size as signed decimal
    std::string m_strDate;            // creation time, "dd.mm.yyyy hh:mm:ss" in local time
    std::string m_strExtra;           // spare
    std::string m_strTargetName;      // name at the destination
    std::string m_strTargetDirectory; // local destination directory of a read
    BOOL m_bCompressed = 0;
    LONG m_nReserved1 = 0;
    LONG m_nReserved2 = 0;
};
