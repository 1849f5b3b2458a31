#include "platform/ui/MessageBox.h"

#include <atomic>

#include "platform/ui/IMessageBoxService.h"
#include "platform/win/WinUser.h"

namespace vortan::ui {
namespace {

// With nobody to ask, every box is answered the way that changes nothing: OK where OK is the
// only button, otherwise Cancel, or No where there is no Cancel.
class UnattendedMessageBoxService final : public IMessageBoxService {
public:
    int Show(const MessageBoxRequest& request) override {
        switch (request.type & MB_TYPEMASK) {
        case MB_OK:
            return IDOK;
        case MB_YESNO:
            return IDNO;
        default:
            return IDCANCEL;
        }
    }
};

UnattendedMessageBoxService g_unattended;
std::atomic<IMessageBoxService*> g_service{nullptr};

} // namespace

IMessageBoxService* SetMessageBoxService(IMessageBoxService* service) {
    return g_service.exchange(service);
}

IMessageBoxService* GetMessageBoxService() {
    IMessageBoxService* service = g_service.load();
    return service != nullptr ? service : &g_unattended;
}

int ShowMessageBox(const MessageBoxRequest& request) {
    return GetMessageBoxService()->Show(request);
}

} // namespace vortan::ui
