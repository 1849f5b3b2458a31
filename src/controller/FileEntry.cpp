#include "controller/FileEntry.h"

#include "vortan/com/SysString.h"
#include "vortan/text/Utf.h"

namespace vortan::controller {

FileEntry::~FileEntry() {
    SysFreeString(m_info.bstrName);
}

vortan::FileEntryInfo* FileEntry::Out() noexcept {
    SysFreeString(m_info.bstrName);
    m_info = vortan::FileEntryInfo{};
    return &m_info;
}

std::string FileEntry::NameUtf8() const {
    if (m_info.bstrName == nullptr)
        return {};
    return text::Utf16ToUtf8({m_info.bstrName, SysStringLen(m_info.bstrName)});
}

} // namespace vortan::controller
