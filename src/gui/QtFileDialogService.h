#pragma once

#include "platform/ui/CommDlg.h"

namespace vortan::gui {

class QtDialogService;

// Shows the program's file dialogs (FileDialogView), modal over the view of their owner, while
// the message loop keeps running. Confirmed: the chosen full paths; cancelled otherwise.
class QtFileDialogService final : public ui::IFileDialogService {
public:
    // `views` finds the owner's view; null shows every dialog without an owner.
    explicit QtFileDialogService(const QtDialogService* views = nullptr) : m_views(views) {}

    ui::FileDialogAnswer Run(const ui::FileDialogRequest& request) override;

private:
    const QtDialogService* m_views;
};

} // namespace vortan::gui
