#pragma once

#include <string>
#include <vector>

#include "platform/WinDef.h"
#include "platform/win/WindowKind.h"

namespace vortan::win {

// One control of a dialog template. Positions and sizes are in dialog units. Controls are
// always created visible, as the resource compiler marks every control; WS_DISABLED in the
// style creates it disabled, BS_DEFPUSHBUTTON makes a button the default one.
struct DialogItem {
    int id = 0;
    WindowKind kind = WindowKind::Static;
    std::string text; // UTF-8
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    DWORD style = 0;
    int icon = 0; // icon controls: the icon resource shown from the start, 0 for none
};

// A dialog template as data. WS_VISIBLE in the style shows the dialog once its
// initialization has run; WS_DISABLED creates it disabled. Items are in tab order.
struct DialogTemplate {
    int id = 0;
    std::string caption; // UTF-8
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string fontName;
    int fontPointSize = 0;
    std::vector<DialogItem> items;
};

} // namespace vortan::win
