#include "platform/win/WinUser.h"

#include <cstring>

#include "platform/win/IWindowObserver.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/WinBase.h"
#include "platform/win/WindowModel.h"
#include "platform/win/WindowTable.h"
#include "runtime/win/IWindowHost.h"
#include "vortan/text/Utf.h"

using vortan::win::IWindowObserver;
using vortan::win::MessageQueue;
using vortan::win::Window;
using vortan::win::WindowHandler;
using vortan::win::WindowKind;
using vortan::win::WindowTable;

namespace {

std::shared_ptr<Window> FindWindow(HWND hwnd) {
    auto window = WindowTable::Instance().Find(hwnd);
    if (!window)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

template <typename Change>
void Notify(HWND hwnd, Change change) {
    WindowTable::Instance().Notify(hwnd, change);
}

void NotifyProgress(const Window& window) {
    Notify(window.Handle(), [&](IWindowObserver& observer) {
        observer.OnProgressChanged(window.Handle(), window.RangeLower(), window.RangeUpper(),
                                   window.Position());
    });
}

// Copies as much of `text` as fits with its terminating zero, never cutting a character.
int CopyText(const std::string& text, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0)
        return 0;
    const std::size_t length = vortan::text::Utf8PrefixLength(text, size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

LRESULT ProgressBarProc(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LPARAM previousRange =
        MAKELPARAM(static_cast<WORD>(window.RangeLower()), static_cast<WORD>(window.RangeUpper()));
    switch (message) {
    case PBM_SETRANGE:
        window.SetRange(LOWORD(static_cast<std::uintptr_t>(lParam)),
                        HIWORD(static_cast<std::uintptr_t>(lParam)));
        NotifyProgress(window);
        return previousRange;
    case PBM_SETRANGE32:
        window.SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
        NotifyProgress(window);
        return previousRange;
    case PBM_GETRANGE:
        return wParam != 0 ? window.RangeLower() : window.RangeUpper();
    case PBM_SETPOS: {
        const int previous = window.Position();
        window.SetPosition(static_cast<int>(wParam));
        if (window.Position() != previous)
            NotifyProgress(window);
        return previous;
    }
    case PBM_GETPOS:
        return window.Position();
    default:
        return 0;
    }
}

// A changed edit text is reported as the platform does: reflected to the control first, then,
// unless the control keeps it, to the parent as EN_CHANGE.
void EditChanged(const Window& edit) {
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(edit.Id()), EN_CHANGE);
    const LPARAM from = reinterpret_cast<LPARAM>(edit.Handle());
    if (SendMessage(edit.Handle(), OCM_COMMAND, command, from) != 0)
        return;
    if (edit.Parent() != nullptr && IsWindow(edit.Parent()))
        SendMessage(edit.Parent(), WM_COMMAND, command, from);
}

void SetEditSelection(Window& edit, int start, int end) {
    const int length = static_cast<int>(edit.Text().size());
    if (start < 0) {
        edit.SetSelection(edit.SelectionEnd(), edit.SelectionEnd()); // -1: deselect
        return;
    }
    if (end < 0 || end > length)
        end = length;
    if (start > length)
        start = length;
    edit.SetSelection(start, end);
}

HWND DefaultButton(const Window& dialog) {
    for (HWND child : dialog.Children()) {
        const auto control = WindowTable::Instance().Find(child);
        if (control && control->IsDefaultButton())
            return child;
    }
    return nullptr;
}

// The control that has the keyboard focus, as the view reports it.
HWND g_hFocus = nullptr;

LRESULT DialogKeyDown(Window& dialog, WPARAM key) {
    if (!dialog.Enabled())
        return 0;
    if (key == VK_ESCAPE)
        return SendMessage(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (key != VK_RETURN)
        return 0;
    // Enter presses the focused push button; the default button only answers for the others.
    if (const auto focus = WindowTable::Instance().Find(GetFocus());
        focus && focus->Parent() == dialog.Handle() && focus->Kind() == WindowKind::Button)
        return focus->Enabled() ? SendMessage(focus->Handle(), BM_CLICK, 0, 0) : 0;
    const HWND button = DefaultButton(dialog);
    if (button == nullptr)
        return SendMessage(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (!IsWindowEnabled(button))
        return 0;
    return SendMessage(button, BM_CLICK, 0, 0);
}

// The window model behind the runtime's message-window calls (CreateMessageWindow,
// PostMessage, DestroyWindow), which plug-ins make without linking this library. Lent to the
// runtime while this library is loaded.
class ModelWindowHost final : public vortan::win::IWindowHost {
public:
    ModelWindowHost() noexcept { vortan::win::SetWindowHost(this); }
    ModelWindowHost(const ModelWindowHost&) = delete;
    ModelWindowHost& operator=(const ModelWindowHost&) = delete;
    ~ModelWindowHost() { vortan::win::SetWindowHost(nullptr); }

    HWND CreateMessageOnlyWindow(WindowHandler handler) override;
    BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL Destroy(HWND hwnd) override;
};

ModelWindowHost g_windowHost;

} // namespace

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto window = FindWindow(hwnd); // keeps the window alive if the handler destroys it
    if (!window)
        return 0;
    if (!window->Handler())
        return DefWindowProc(hwnd, message, wParam, lParam);
    return window->Handler()(hwnd, message, wParam, lParam);
}

HWND ModelWindowHost::CreateMessageOnlyWindow(WindowHandler handler) {
    const auto window =
        WindowTable::Instance().Create(nullptr, WindowKind::MessageOnly, 0, WS_POPUP);
    window->SetHandler(std::move(handler));
    return window->Handle();
}

BOOL ModelWindowHost::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd != nullptr && !WindowTable::Instance().Contains(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    MessageQueue::Instance().Post(msg);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    MessageQueue::Instance().PostQuit(exitCode);
}

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd != nullptr && !FindWindow(hwnd))
        return -1;
    MessageQueue::Instance().Next(*msg, hwnd, filterMin, filterMax, true, true);
    return msg->message == WM_QUIT ? 0 : 1;
}

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (msg == nullptr || (hwnd != nullptr && !FindWindow(hwnd)))
        return FALSE;
    return MessageQueue::Instance().Next(*msg, hwnd, filterMin, filterMax,
                                         (removeMsg & PM_REMOVE) != 0, false)
               ? TRUE
               : FALSE;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
} // keys reach dialogs as WM_KEYDOWN as they are

LRESULT DispatchMessage(const MSG* msg) {
    if (msg == nullptr)
        return 0;
    if (msg->hwnd == nullptr)
        return 0; // thread messages are the fetching loop's business
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (proc != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!FindWindow(hwnd))
        return 0;
    MessageQueue::Instance().SetTimer(hwnd, id, elapse);
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    if (!MessageQueue::Instance().KillTimer(hwnd, id)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto window = FindWindow(hwnd);
    if (!window)
        return 0;
    switch (message) {
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        window->SetText(text != nullptr ? text : "");
        Notify(hwnd,
               [&](IWindowObserver& observer) { observer.OnTextChanged(hwnd, window->Text()); });
        if (window->Kind() == WindowKind::Edit)
            EditChanged(*window);
        return TRUE;
    }
    case EM_SETREADONLY:
        if (window->Kind() != WindowKind::Edit)
            return FALSE;
        window->SetReadOnly(wParam != 0);
        return TRUE;
    case EM_SETSEL:
        if (window->Kind() == WindowKind::Edit)
            SetEditSelection(*window, static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case EM_GETSEL:
        return window->Kind() == WindowKind::Edit
                   ? static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(window->SelectionStart()),
                                                     static_cast<WORD>(window->SelectionEnd())))
                   : 0;
    case WM_NCHITTEST: {
        RECT client = window->ClientArea();
        OffsetRect(&client, window->WindowRect().left, window->WindowRect().top);
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        return PtInRect(&client, point) ? HTCLIENT : HTNOWHERE;
    }
    case WM_GETTEXT:
        return CopyText(window->Text(), reinterpret_cast<char*>(lParam), wParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window->Text().size());
    case WM_CLOSE:
        if (window->Kind() == WindowKind::Dialog)
            return SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        DestroyWindow(hwnd);
        return 0;
    case WM_KEYDOWN:
        return window->Kind() == WindowKind::Dialog ? DialogKeyDown(*window, wParam) : 0;
    case BM_CLICK:
        if (window->Kind() == WindowKind::Button && window->Enabled() &&
            window->Parent() != nullptr)
            SendMessage(window->Parent(), WM_COMMAND,
                        MAKEWPARAM(static_cast<WORD>(window->Id()), BN_CLICKED),
                        reinterpret_cast<LPARAM>(hwnd));
        return 0;
    case STM_SETICON: {
        if (window->Kind() != WindowKind::Icon)
            return 0;
        const int previous = window->IconId();
        window->SetIconId(vortan::win::IconResourceId(reinterpret_cast<HICON>(wParam)));
        if (window->IconId() != previous)
            Notify(hwnd, [&](IWindowObserver& observer) {
                observer.OnIconChanged(hwnd, window->IconId());
            });
        return reinterpret_cast<LRESULT>(vortan::win::IconFromResourceId(previous));
    }
    case STM_GETICON:
        return window->Kind() == WindowKind::Icon
                   ? reinterpret_cast<LRESULT>(vortan::win::IconFromResourceId(window->IconId()))
                   : 0;
    default:
        if (window->Kind() == WindowKind::ProgressBar)
            return ProgressBarProc(*window, message, wParam, lParam);
        return 0;
    }
}

HWND SetFocus(HWND hwnd) {
    const HWND previous = GetFocus();
    g_hFocus = IsWindow(hwnd) ? hwnd : nullptr;
    // The windows hear of it as on the platform: the loser first, then the new focus.
    if (previous != nullptr && previous != g_hFocus)
        SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(g_hFocus), 0);
    if (g_hFocus != nullptr && g_hFocus != previous)
        SendMessage(g_hFocus, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus() {
    return IsWindow(g_hFocus) ? g_hFocus : nullptr;
}

BOOL IsWindow(HWND hwnd) {
    return WindowTable::Instance().Contains(hwnd) ? TRUE : FALSE;
}

BOOL ModelWindowHost::Destroy(HWND hwnd) {
    const auto window = FindWindow(hwnd);
    if (!window)
        return FALSE;
    if (window->Destroying())
        return TRUE;
    window->SetDestroying();
    SendMessage(hwnd, WM_DESTROY, 0, 0); // the handler still sees a whole window
    const std::vector<HWND> children = window->Children();
    for (HWND child : children)
        DestroyWindow(child);
    const std::vector<IWindowObserver*> observers = WindowTable::Instance().ObserversFor(hwnd);
    if (const auto parent = WindowTable::Instance().Find(window->Parent()))
        parent->RemoveChild(hwnd);
    WindowTable::Instance().Remove(hwnd);
    MessageQueue::Instance().ForgetWindow(hwnd);
    for (IWindowObserver* observer : observers)
        observer->OnDestroyed(hwnd);
    return TRUE;
}

BOOL SetWindowText(HWND hwnd, const char* text) {
    if (!FindWindow(hwnd))
        return FALSE;
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowText(HWND hwnd, char* buffer, int maxCount) {
    if (!FindWindow(hwnd) || maxCount <= 0)
        return 0;
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                        reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) {
    return FindWindow(hwnd) ? static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    const auto window = FindWindow(hwnd);
    if (!window)
        return FALSE;
    const bool wasVisible = window->Visible();
    const bool wasMinimized = window->Minimized();
    switch (cmdShow) {
    case SW_HIDE:
        window->SetShowState(false, wasMinimized);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        window->SetShowState(true, false);
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        window->SetShowState(true, true);
        break;
    default:
        window->SetShowState(true, wasMinimized);
        break;
    }
    if (window->Visible() != wasVisible || window->Minimized() != wasMinimized) {
        Notify(hwnd, [&](IWindowObserver& observer) {
            observer.OnVisibilityChanged(hwnd, window->Visible(), window->Minimized());
        });
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
    // Visible only if every ancestor is: a control of a hidden dialog is not on screen.
    for (auto window = WindowTable::Instance().Find(hwnd); window;
         window = WindowTable::Instance().Find(window->Parent())) {
        if (!window->Visible())
            return FALSE;
        if (window->Parent() == nullptr)
            return TRUE;
    }
    return FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    const auto window = FindWindow(hwnd);
    if (!window)
        return FALSE;
    const bool wasEnabled = window->Enabled();
    window->SetEnabled(enable != FALSE);
    if (window->Enabled() != wasEnabled) {
        Notify(hwnd, [&](IWindowObserver& observer) {
            observer.OnEnabledChanged(hwnd, window->Enabled());
        });
        SendMessage(hwnd, WM_ENABLE, window->Enabled() ? TRUE : FALSE, 0);
    }
    return wasEnabled ? FALSE : TRUE;
}

BOOL IsWindowEnabled(HWND hwnd) {
    const auto window = WindowTable::Instance().Find(hwnd);
    return window && window->Enabled() ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
    if (!FindWindow(hwnd))
        return FALSE;
    Notify(hwnd, [&](IWindowObserver& observer) { observer.OnUpdate(hwnd); });
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT*, HRGN, UINT flags) {
    if ((flags & RDW_UPDATENOW) == 0)
        return IsWindow(hwnd);
    return UpdateWindow(hwnd);
}

HWND GetParent(HWND hwnd) {
    const auto window = FindWindow(hwnd);
    return window ? window->Parent() : nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
    const auto window = FindWindow(dialog);
    if (!window)
        return nullptr;
    for (HWND child : window->Children()) {
        const auto control = WindowTable::Instance().Find(child);
        if (control && control->Id() == id)
            return child;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    const auto window = FindWindow(hwnd);
    return window ? window->Id() : 0;
}

BOOL SetDlgItemText(HWND dialog, int id, const char* text) {
    const HWND control = GetDlgItem(dialog, id);
    return control != nullptr ? SetWindowText(control, text) : FALSE;
}

UINT GetDlgItemText(HWND dialog, int id, char* buffer, int maxCount) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        if (buffer != nullptr && maxCount > 0)
            buffer[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowText(control, buffer, maxCount));
}

HMENU GetSystemMenu(HWND hwnd, BOOL) {
    const auto window = FindWindow(hwnd);
    if (!window || (window->Style() & WS_CHILD) != 0)
        return nullptr;
    return reinterpret_cast<HMENU>(hwnd);
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* text) {
    const auto window = FindWindow(reinterpret_cast<HWND>(menu));
    if (!window || (window->Style() & WS_CHILD) != 0)
        return FALSE;
    if ((flags & MF_SEPARATOR) != 0) {
        window->AppendSystemMenuItem({0, {}, true});
    } else {
        if (text == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        window->AppendSystemMenuItem({id, text, false});
    }
    return TRUE;
}

HICON LoadIcon(HINSTANCE, LPCSTR name) {
    // Only integer resources exist here: the "name" is the id in the low word.
    const auto value = reinterpret_cast<std::uintptr_t>(name);
    if (value == 0 || value > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return vortan::win::IconFromResourceId(static_cast<int>(value));
}
