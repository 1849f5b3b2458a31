#pragma once

class QCoreApplication;

namespace vortan::gui {

class UiServices;

// What the widget module (libvortan-gui) offers the program, found by the name kGuiEntrySymbol.
// The program asks for it only when a display is there; without one it runs on a plain
// QCoreApplication and never loads Qt's GUI libraries.
struct GuiEntry {
    // The QApplication, made before anything else of Qt; it takes argc by reference.
    QCoreApplication* (*createApplication)(int& argc, char** argv);
    // The Qt desktop (UiServices::Install), after the application and the loop backend.
    UiServices* (*installDesktop)();
    void (*removeDesktop)(UiServices* desktop);
};

inline constexpr const char* kGuiEntrySymbol = "VortanGuiEntry";

} // namespace vortan::gui
