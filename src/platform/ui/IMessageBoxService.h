#pragma once

#include <string>

#include "platform/WinDef.h"

namespace vortan::ui {

struct MessageBoxRequest {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};

// Answers message boxes: shows them (Qt), plays them from a script, or records them (tests).
class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Returns the id of the button that answered (IDOK, IDCANCEL, IDYES, IDNO, ...).
    virtual int Show(const MessageBoxRequest& request) = 0;
};

// Installs the service that answers every message box of the process and returns the one it
// replaces. Null restores the default: on Windows USER32's boxes, elsewhere the answer that
// changes nothing (GetMessageBoxService then gives that built-in service).
IMessageBoxService* SetMessageBoxService(IMessageBoxService* service);
IMessageBoxService* GetMessageBoxService();

// The platform's half of MessageBox: the installed service answers, else the default above.
int ShowMessageBox(const MessageBoxRequest& request);

} // namespace vortan::ui
