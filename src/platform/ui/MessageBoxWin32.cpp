#include <atomic>

#include "platform/ui/IMessageBoxService.h"
#include "platform/ui/MessageBox.h"
#include "vortan/text/Utf.h"

namespace vortan::ui {
namespace {

std::atomic<IMessageBoxService*> g_service{nullptr};

} // namespace

IMessageBoxService* SetMessageBoxService(IMessageBoxService* service) {
    return g_service.exchange(service);
}

IMessageBoxService* GetMessageBoxService() {
    return g_service.load();
}

} // namespace vortan::ui

int VortanMessageBox(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType) {
    vortan::ui::MessageBoxRequest request;
    request.owner = hWnd;
    request.text = lpText != nullptr ? lpText : "";
    request.caption = lpCaption != nullptr ? lpCaption : "Fehler";
    request.type = uType;
    try {
        if (vortan::ui::IMessageBoxService* service = vortan::ui::GetMessageBoxService())
            return service->Show(request);
        return MessageBoxW(hWnd, vortan::text::Utf8ToUtf16(request.text).c_str(),
                           vortan::text::Utf8ToUtf16(request.caption).c_str(), uType);
    } catch (...) {
        return 0; // the platform's answer when a box cannot be shown
    }
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT /*nIDHelp*/) {
    return VortanMessageBox(nullptr, lpszText, AfxGetAppName(), nType);
}

const char* AfxGetAppName() {
    return "VORTAN";
}
