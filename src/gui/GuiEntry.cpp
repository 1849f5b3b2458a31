#include "gui/GuiEntry.h"

#include <QApplication>

#include "gui/UiServices.h"

namespace {

QCoreApplication* CreateApplication(int& argc, char** argv) {
    vortan::gui::UiServices::PrepareEnvironment();
    return new QApplication(argc, argv);
}

vortan::gui::UiServices* InstallDesktop() {
    return vortan::gui::UiServices::Install().release();
}

void RemoveDesktop(vortan::gui::UiServices* desktop) {
    delete desktop;
}

constexpr vortan::gui::GuiEntry kEntry{&CreateApplication, &InstallDesktop, &RemoveDesktop};

} // namespace

extern "C" __attribute__((visibility("default"))) const vortan::gui::GuiEntry* VortanGuiEntry() {
    return &kEntry;
}
