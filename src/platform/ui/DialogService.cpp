#include <atomic>

#include "platform/ui/IDialogService.h"
#include "platform/win/WinUser.h"

namespace vortan::ui {
namespace {

std::atomic<IDialogService*> g_dialogService{nullptr};

} // namespace

IDialogService* SetDialogService(IDialogService* service) {
    return g_dialogService.exchange(service);
}

IDialogService* GetDialogService() {
    return g_dialogService.load();
}

bool IsQuestionDialog(HWND dialog) {
    return IsWindowVisible(dialog) != FALSE && IsWindowEnabled(dialog) != FALSE;
}

} // namespace vortan::ui
