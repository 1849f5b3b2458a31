#pragma once

#include <memory>
#include <optional>

#include "gui/GuiEntry.h"

class QCoreApplication;

namespace vortan::gui {

// The widget module as the program sees it: loaded on demand, never unloaded (Qt's GUI
// libraries keep handlers to the end of the process).
class GuiModule final {
public:
    using Desktop = std::unique_ptr<UiServices, void (*)(UiServices*)>;

    // libvortan-gui from the program's library directory (../lib/vortan, ../lib beside the
    // program's directory) or the loader's search path; empty, with a message on stderr, when
    // it cannot be loaded.
    static std::optional<GuiModule> Load();

    std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) const;
    [[nodiscard]] Desktop InstallDesktop() const;

private:
    explicit GuiModule(const GuiEntry* entry) : m_pEntry(entry) {}

    const GuiEntry* m_pEntry;
};

} // namespace vortan::gui
