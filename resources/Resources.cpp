#include "resources/Resources.h"

#include <array>
#include <utility>

#include "platform/win/WinUser.h"

namespace vortan::resources {

// Generated from the PNG files in icons/ at build time.
std::span<const unsigned char> Icon128Bytes();
std::span<const unsigned char> Icon130Bytes();

namespace {

using win::DialogItem;
using win::DialogTemplate;
using win::WindowKind;

// Modal dialogs carry WS_VISIBLE: the platform's modal run shows exactly the templates marked
// visible, and the desktop services treat a shown, enabled dialog as a question.
DialogTemplate AboutBox() {
    DialogTemplate t;
    t.id = IDD_ABOUTBOX;
    t.caption = "Info über VORTAN";
    t.cx = 235;
    t.cy = 55;
    t.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    t.fontName = "MS Sans Serif";
    t.fontPointSize = 8;
    DialogItem icon{-1, WindowKind::Icon, "", 11, 17, 21, 20, 0};
    icon.icon = IDR_MAINFRAME;
    t.items = {
        icon,
        {-1, WindowKind::Static, "VORTAN Version 1.0", 40, 10, 119, 8, SS_LEFT},
        {IDOK, WindowKind::Button, "OK", 178, 7, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
    };
    return t;
}

DialogTemplate ProgressWindow() {
    DialogTemplate t;
    t.id = IDD_VORTAN_DIALOG;
    t.cx = 212;
    t.cy = 31;
    // Visible and disabled: it shows progress but takes no input; no system-menu box.
    t.style =
        DS_MODALFRAME | DS_3DLOOK | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_VISIBLE | WS_DISABLED;
    t.exStyle = WS_EX_APPWINDOW;
    t.fontName = "MS Sans Serif";
    t.fontPointSize = 8;
    t.items = {
        {IDC_STATUS, WindowKind::Static, "Status", 5, 1, 200, 8, SS_LEFT},
        {IDC_PROGRESS, WindowKind::ProgressBar, "", 5, 12, 200, 14, PBS_SMOOTH | WS_BORDER},
    };
    return t;
}

DialogTemplate OverwriteQuestion() {
    DialogTemplate t;
    t.id = IDD_OVERWRITE;
    t.caption = "Dialog";
    t.cx = 302;
    t.cy = 86;
    t.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    t.fontName = "MS Sans Serif";
    t.fontPointSize = 8;
    // Template order is the tab order: Ja, Abbrechen, Nein, Alle Überschreiben.
    t.items = {
        {IDOK, WindowKind::Button, "Ja", 25, 69, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, WindowKind::Button, "Abbrechen", 135, 69, 50, 14, WS_TABSTOP},
        {IDC_GROUP, WindowKind::GroupBox, "", 5, 5, 290, 60, 0},
        {IDC_FILE_LINE, WindowKind::Static, "Die Datei", 40, 15, 250, 10, SS_LEFT},
        {IDC_FILE_NAME, WindowKind::Static, "", 58, 26, 230, 8, SS_LEFT},
        {IDC_DIRECTORY_LINE, WindowKind::Static, "existiert bereits im Verzeichnis", 40, 38, 250,
         10, SS_LEFT},
        {IDC_DIRECTORY, WindowKind::Static, "", 59, 50, 230, 8, SS_LEFT},
        {IDNO, WindowKind::Button, "Nein", 80, 69, 50, 14, WS_TABSTOP},
        {IDC_OVERWRITE_ALL, WindowKind::Button, "Alle Überschreiben", 195, 69, 80, 14, WS_TABSTOP},
        {IDC_ICON, WindowKind::Icon, "", 10, 25, 21, 20, 0},
    };
    return t;
}

// The selection hosts are never shown (no WS_VISIBLE): they do their work while they are being
// initialised, and the user sees only the file dialog or the folder browser they open.
DialogTemplate SelectionHost(int id, int cy) {
    DialogTemplate t;
    t.id = id;
    t.caption = "Dialog";
    t.cx = 186;
    t.cy = cy;
    t.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.fontName = "MS Sans Serif";
    t.fontPointSize = 8;
    return t;
}

DialogTemplate SelectFileHost() {
    DialogTemplate t = SelectionHost(IDD_SELECT_FILE, 26);
    t.items = {
        {IDC_FILE_EDIT, WindowKind::Edit, "", 5, 5, 175, 14,
         WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    };
    return t;
}

DialogTemplate SelectDirectoryHost() {
    return SelectionHost(IDD_SELECT_DIRECTORY, 95);
}

} // namespace

const win::DialogTemplate* FindDialogTemplate(int id) {
    static const std::array<DialogTemplate, 5> kTemplates{
        AboutBox(), ProgressWindow(), SelectFileHost(), SelectDirectoryHost(), OverwriteQuestion()};
    for (const DialogTemplate& t : kTemplates) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}

std::string LoadStringResource(UINT id) {
    switch (id) {
    case IDS_OLE_INIT_FAILED:
        return "Fehler bei der OLE-Initialisierung. Überprüfen Sie, ob die OLE-Bibliotheken in "
               "der richtigen Version vorliegen.";
    case IDS_ABOUTBOX:
        return "Inf&o über VORTAN...";
    default:
        return {};
    }
}

std::span<const unsigned char> FindIconResource(int id) {
    switch (id) {
    case IDR_MAINFRAME:
        return Icon128Bytes();
    case IDI_VORTAN:
        return Icon130Bytes();
    default:
        return {};
    }
}

} // namespace vortan::resources
