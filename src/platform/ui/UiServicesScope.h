#pragma once

namespace vortan::ui {

class IDialogService;
class IMessageBoxService;

// Makes a pair of services the process's desktop for the scope and puts the previous pair
// back at its end.
class UiServicesScope final {
public:
    UiServicesScope(IMessageBoxService* messageBoxes, IDialogService* dialogs);
    ~UiServicesScope();
    UiServicesScope(const UiServicesScope&) = delete;
    UiServicesScope& operator=(const UiServicesScope&) = delete;

private:
    IMessageBoxService* m_previousMessageBoxes = nullptr;
    IDialogService* m_previousDialogs = nullptr;
};

} // namespace vortan::ui
