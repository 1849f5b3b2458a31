// The ';'-separated file list of a transfer call, as a client sends it.
#include <string>

#include "FuzzInput.h"
#include "engine/FileList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CFileList list;
    const BOOL any = list.AddFileList(text);
    const int count = list.GetCount();
    vortan::fuzz::Check((any != FALSE) == (count > 0));

    list.GetTotalSize();
    std::string name;
    list.CheckShortNames(name);
    list.SetTargetDirectory("/nonexistent");
    for (int i = 0; i < count; ++i) {
        const FileListEntry* entry = list.GetEntry(i);
        vortan::fuzz::Check(entry != nullptr && list.FindByName(entry->m_strName) != nullptr);
        std::string path;
        FileListEntry* target = nullptr;
        list.TargetExists(i, path, &target);
        vortan::fuzz::Check(target == entry);
    }
    vortan::fuzz::Check(list.GetEntry(count) == nullptr);
    return 0;
}
