#include "platform/ui/IMessageBoxService.h"
#include "platform/ui/MessageBox.h"

// On Windows this defines VortanMessageBox (MessageBox.h): the UTF-8 box of the program.
int MessageBox(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType) {
    vortan::ui::MessageBoxRequest request;
    request.owner = hWnd;
    request.text = lpText != nullptr ? lpText : "";
    request.caption = lpCaption != nullptr ? lpCaption : "Fehler";
    request.type = uType;
    try {
        return vortan::ui::ShowMessageBox(request);
    } catch (...) {
        return 0; // the platform's answer when a box cannot be shown
    }
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT /*nIDHelp*/) {
    return MessageBox(nullptr, lpszText, AfxGetAppName(), nType);
}

const char* AfxGetAppName() {
    return "VORTAN";
}
