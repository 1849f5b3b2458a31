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

int ShowMessageBox(const MessageBoxRequest& request) {
    if (IMessageBoxService* service = GetMessageBoxService())
        return service->Show(request);
    return MessageBoxW(request.owner, text::Utf8ToUtf16(request.text).c_str(),
                       text::Utf8ToUtf16(request.caption).c_str(), request.type);
}

} // namespace vortan::ui
