#pragma once

#include "platform/ui/ShlObj.h"

namespace vortan::gui {

class QtDialogService;

// Shows the program's folder browsers (FolderBrowserView), modal over the view of their owner,
// while the message loop keeps running. Confirmed with the selected folder, or cancelled.
class QtFolderBrowserService final : public ui::IFolderBrowserService {
public:
    // `views` finds the owner's view; null shows every browser without an owner.
    explicit QtFolderBrowserService(const QtDialogService* views = nullptr) : m_views(views) {}

    ui::FolderBrowserAnswer Run(const ui::FolderBrowserRequest& request) override;

private:
    const QtDialogService* m_views;
};

} // namespace vortan::gui
