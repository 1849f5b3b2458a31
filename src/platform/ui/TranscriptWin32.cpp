#include "platform/WinDef.h"
#include "platform/ui/Transcript.h"
#include "vortan/text/Utf.h"

namespace vortan::ui {

bool Transcript::Append(std::string_view line) const {
    if (!Enabled())
        return false;
    // Appending access makes every write land at the end of the file as one piece, whoever
    // else writes there; the file is shared for that.
    const HANDLE file = CreateFileW(text::Utf8ToUtf16(m_strPath).c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string whole(line);
    whole += '\n';
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE && written == whole.size();
}

} // namespace vortan::ui
