#include "gui/GuiModule.h"

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <QCoreApplication>

namespace vortan::gui {

namespace {

std::vector<std::string> Candidates() {
    std::vector<std::string> candidates;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path lib = program.parent_path().parent_path() / "lib";
        candidates.push_back(lib / "vortan" / VORTAN_GUI_MODULE);
        candidates.push_back(lib / VORTAN_GUI_MODULE);
    }
    candidates.emplace_back(VORTAN_GUI_MODULE); // LD_LIBRARY_PATH and the system's directories
    return candidates;
}

} // namespace

std::optional<GuiModule> GuiModule::Load() {
    std::string errors;
    for (const std::string& candidate : Candidates()) {
        void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            if (const char* error = dlerror())
                errors += std::string("\n  ") + error;
            continue;
        }
        using EntryFn = const GuiEntry* (*)();
        const auto entry = reinterpret_cast<EntryFn>(dlsym(handle, kGuiEntrySymbol));
        if (entry != nullptr && entry() != nullptr)
            return GuiModule(entry());
        errors += "\n  " + candidate + ": no entry";
        dlclose(handle);
    }
    std::fprintf(stderr, "vortan: the windows cannot be shown, running unattended:%s\n",
                 errors.c_str());
    return std::nullopt;
}

std::unique_ptr<QCoreApplication> GuiModule::CreateApplication(int& argc, char** argv) const {
    return std::unique_ptr<QCoreApplication>(m_pEntry->createApplication(argc, argv));
}

GuiModule::Desktop GuiModule::InstallDesktop() const {
    return Desktop(m_pEntry->installDesktop(), m_pEntry->removeDesktop);
}

} // namespace vortan::gui
