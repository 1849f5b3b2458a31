#include "gui/QtDialogService.h"

#include "gui/DialogView.h"
#include "platform/win/WinUser.h"

namespace vortan::gui {

QtDialogService::QtDialogService() = default;

QtDialogService::~QtDialogService() = default;

void QtDialogService::OnModalDialogShown(HWND dialog, const win::DialogTemplate&) {
    try {
        m_views[dialog] = std::make_unique<DialogView>(dialog, ViewOf(GetParent(dialog)));
    } catch (...) {
        // Without a view the dialog still runs; it is just not seen.
    }
}

void QtDialogService::OnModalDialogEnded(HWND dialog, INT_PTR) {
    m_views.erase(dialog);
}

DialogView* QtDialogService::ViewOf(HWND hwnd) const {
    for (; hwnd != nullptr && IsWindow(hwnd); hwnd = GetParent(hwnd)) {
        if (const auto it = m_views.find(hwnd); it != m_views.end())
            return it->second.get();
    }
    return nullptr;
}

} // namespace vortan::gui
