#include "platform/win/WindowModel.h"

#include "platform/win/WinBase.h"
#include "platform/win/WinUser.h"
#include "platform/win/WindowTable.h"

namespace vortan::win {

HWND CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND parent, WindowHandler handler) {
    if (parent != nullptr && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const auto dialog = WindowTable::Instance().Create(parent, WindowKind::Dialog,
                                                       dialogTemplate.id, dialogTemplate.style);
    dialog->SetText(dialogTemplate.caption);
    dialog->SetGeometry(dialogTemplate.x, dialogTemplate.y, dialogTemplate.cx, dialogTemplate.cy);
    dialog->SetFont(dialogTemplate.fontName, dialogTemplate.fontPointSize);
    for (const DialogItem& item : dialogTemplate.items)
        CreateControl(dialog->Handle(), item);
    // The handler comes last: controls exist before the dialog hears its first message.
    dialog->SetHandler(std::move(handler));
    return dialog->Handle();
}

HWND CreateControl(HWND parent, const DialogItem& item) {
    const auto owner = WindowTable::Instance().Find(parent);
    if (!owner) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const auto control =
        WindowTable::Instance().Create(parent, item.kind, item.id, item.style | WS_CHILD);
    control->SetText(item.text);
    control->SetGeometry(item.x, item.y, item.cx, item.cy);
    control->SetIconId(item.icon);
    control->SetShowState(true, false);
    owner->AddChild(control->Handle());
    return control->Handle();
}

bool AddWindowObserver(HWND hwnd, IWindowObserver* observer) {
    const auto window = WindowTable::Instance().Find(hwnd);
    if (!window || window->Kind() == WindowKind::MessageOnly || observer == nullptr)
        return false;
    window->AddObserver(observer);
    return true;
}

bool RemoveWindowObserver(HWND hwnd, IWindowObserver* observer) {
    const auto window = WindowTable::Instance().Find(hwnd);
    return window && window->RemoveObserver(observer);
}

int IconResourceId(HICON icon) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(icon));
}

HICON IconFromResourceId(int id) {
    return id > 0 ? reinterpret_cast<HICON>(static_cast<std::uintptr_t>(id)) : nullptr;
}

std::string GetWindowTextString(HWND hwnd) {
    const int length = GetWindowTextLength(hwnd);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowText(hwnd, text.data(), length + 1)));
    return text;
}

} // namespace vortan::win
