#pragma once

#include <optional>
#include <string>

#include <QDialog>

#include "platform/ui/ShlObj.h"
#include "platform/win/IWindowObserver.h"

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QModelIndex;
class QTreeView;

namespace vortan::gui {

// The folder browser as a person sees it: the request's title, a tree of the file system's
// folders, the status line of the browser window and OK/Cancel. It observes the browser window
// of the model: the status line follows its status control (BFFM_SETSTATUSTEXTA), the tree
// follows its selection control (BFFM_SETSELECTIONA, also the preselection, expanded and
// selected when it names a folder) and OK its enabled state. Each move of the user is reported
// through the request's selectionChanged.
class FolderBrowserView final : public QDialog, private win::IWindowObserver {
public:
    explicit FolderBrowserView(const ui::FolderBrowserRequest& request, QWidget* parent = nullptr);
    ~FolderBrowserView() override;
    FolderBrowserView(const FolderBrowserView&) = delete;
    FolderBrowserView& operator=(const FolderBrowserView&) = delete;

    // The selected folder; nullopt while none is.
    std::optional<std::string> SelectedPath() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnTextChanged(HWND hwnd, std::string_view text) override;
    void OnEnabledChanged(HWND hwnd, bool enabled) override;
    void OnDestroyed(HWND hwnd) override;

    void Select(const QString& path);
    void OnCurrentChanged(const QModelIndex& current);
    void UpdateOk();

    ui::FolderBrowserRequest m_request;
    HWND m_hBrowser = nullptr;
    QFileSystemModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QLabel* m_status = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace vortan::gui
