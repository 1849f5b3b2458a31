// The file edit control's text, as a user types it or a client passes it as the initial text,
// parsed into paths in each of the control's modes. Wildcard expansion is left out: it lists
// directories, which would make the run measure the file system.
#include <string>

#include "FuzzInput.h"
#include "platform/win/WindowModel.h"
#include "selection/FileEditCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const HWND parent = vortan::win::CreateDialogWindow({}, nullptr, &DefWindowProc);
    if (size == 0)
        return 0;
    static constexpr FileEditFlags kModes[] = {FileMode, FileMode | MultipleFiles, FolderMode,
                                               FolderMode | TrailingBackslash};
    const FileEditFlags flags = kModes[data[0] % 4] | ((data[0] & 4) != 0 ? KeepShortcuts : 0);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    CFileEditCtrl control;
    vortan::fuzz::Check(control.Create(flags, 0, "", WS_CHILD, RECT{0, 0, 200, 20}, parent, 1008));
    SetWindowText(control.GetSafeHwnd(), text.c_str());
    std::size_t count = 0;
    for (POSITION pos = control.GetStartPosition(); pos != nullptr; ++count)
        vortan::fuzz::Check(!control.GetNextPathName(pos).empty());
    vortan::fuzz::Check(count <= 1 || (flags & MultipleFiles) != 0);
    DestroyWindow(control.GetSafeHwnd());
    return 0;
}
