#pragma once

#include "platform/ui/IMessageBoxService.h"

namespace vortan::gui {

class QtDialogService;

// Shows message boxes as QMessageBox, over the view of their owner window. While a box is up,
// the message loop keeps running (posted messages, timers), as the platform's box does, and
// the owner window takes no input.
class QtMessageBoxService final : public ui::IMessageBoxService {
public:
    // `views` finds the owner's view; null shows every box without an owner.
    explicit QtMessageBoxService(const QtDialogService* views = nullptr) : m_views(views) {}

    int Show(const ui::MessageBoxRequest& request) override;

private:
    const QtDialogService* m_views;
};

} // namespace vortan::gui
