#pragma once

#include <map>
#include <memory>

#include <QObject>

#include "platform/ui/IDialogService.h"

namespace vortan::gui {

class DialogView;

// Gives every modal dialog of the model a view for the time of its modal run.
class QtDialogService final : public ui::IDialogService {
public:
    QtDialogService();
    ~QtDialogService() override;
    QtDialogService(const QtDialogService&) = delete;
    QtDialogService& operator=(const QtDialogService&) = delete;

    void OnModalDialogShown(HWND dialog, const win::DialogTemplate& dialogTemplate) override;
    void OnModalDialogEnded(HWND dialog, INT_PTR result) override;

    // The view of `hwnd` or of its nearest ancestor that has one; null if none has.
    DialogView* ViewOf(HWND hwnd) const;

private:
    std::map<HWND, std::unique_ptr<DialogView>> m_views;
};

} // namespace vortan::gui
