#include <vector>

#include "platform/win/DialogTemplateWin32.h"
#include "platform/win/WindowHookWin32.h"
#include "platform/win/WindowModel.h"
#include "vortan/text/Utf.h"

namespace vortan::win {
namespace {

// The window classes of the template's kinds: an atom of the dialog manager's predefined
// classes, or a class name.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

struct ControlClass {
    WORD atom = 0;
    const wchar_t* name = nullptr;
    DWORD style = 0;
};

ControlClass ClassOf(WindowKind kind) {
    switch (kind) {
    case WindowKind::Button:
        return {kButtonAtom, L"Button", 0};
    case WindowKind::GroupBox:
        return {kButtonAtom, L"Button", BS_GROUPBOX};
    case WindowKind::Edit:
        return {kEditAtom, L"Edit", 0};
    case WindowKind::ProgressBar:
        return {0, PROGRESS_CLASSW, 0};
    case WindowKind::Icon:
        return {kStaticAtom, L"Static", SS_ICON};
    default:
        return {kStaticAtom, L"Static", 0};
    }
}

// The progress bar is comctl32's; its class exists once registered.
void RegisterCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered; // without it only the progress bar fails to appear
}

// The words of an in-memory DLGTEMPLATE: header, then each item DWORD-aligned.
class TemplateWriter {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const std::string& utf8) {
        for (const wchar_t c : text::Utf8ToUtf16(utf8))
            Word(static_cast<WORD>(c));
        Word(0);
    }
    void AlignDword() {
        if (m_words.size() % 2 != 0)
            Word(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    std::vector<WORD> m_words;
};

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE; // the handler behind the hook does the work
}

} // namespace

HWND CreateDialogFromTemplate(const DialogTemplate& dialogTemplate, HWND parent, DLGPROC procedure,
                              LPARAM param) {
    RegisterCommonControls();
    TemplateWriter writer;
    const bool font = !dialogTemplate.fontName.empty();
    // Shown by whoever runs the dialog, once it is initialized.
    writer.Dword((dialogTemplate.style & ~WS_VISIBLE) | (font ? DS_SETFONT : 0));
    writer.Dword(dialogTemplate.exStyle);
    writer.Word(static_cast<WORD>(dialogTemplate.items.size()));
    for (const int value :
         {dialogTemplate.x, dialogTemplate.y, dialogTemplate.cx, dialogTemplate.cy})
        writer.Word(static_cast<WORD>(value));
    writer.Word(0); // no menu
    writer.Word(0); // the dialog class
    writer.Text(dialogTemplate.caption);
    if (font) {
        writer.Word(static_cast<WORD>(dialogTemplate.fontPointSize));
        writer.Text(dialogTemplate.fontName);
    }
    for (const DialogItem& item : dialogTemplate.items) {
        const ControlClass control = ClassOf(item.kind);
        writer.AlignDword();
        writer.Dword(WS_CHILD | WS_VISIBLE | control.style | item.style);
        writer.Dword(0);
        for (const int value : {item.x, item.y, item.cx, item.cy})
            writer.Word(static_cast<WORD>(value));
        writer.Word(static_cast<WORD>(item.id));
        if (control.atom != 0) {
            writer.Word(0xFFFF);
            writer.Word(control.atom);
        } else {
            writer.Text(text::Utf16ToUtf8(control.name));
        }
        if (item.kind == WindowKind::Icon && item.icon != 0) {
            writer.Word(0xFFFF); // the icon resource, from the program's module
            writer.Word(static_cast<WORD>(item.icon));
        } else {
            writer.Text(item.text);
        }
        writer.Word(0); // no creation data
    }
    // The module is where icon controls find their icons: the program's.
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), writer.Get(), parent, procedure,
                                      param);
}

HWND CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND parent, WindowHandler handler) {
    const HWND dialog = CreateDialogFromTemplate(dialogTemplate, parent, &PassiveDialogProc, 0);
    if (dialog == nullptr)
        return nullptr;
    if (!HookWindowAndChildren(dialog)) {
        DestroyWindow(dialog);
        return nullptr;
    }
    SetHookHandler(dialog, std::move(handler));
    return dialog;
}

HWND CreateControl(HWND parent, const DialogItem& item) {
    if (IsWindow(parent) == FALSE)
        return nullptr;
    RegisterCommonControls();
    const ControlClass control = ClassOf(item.kind);
    RECT rect{item.x, item.y, item.x + item.cx, item.y + item.cy};
    MapDialogRect(parent, &rect); // dialog units of the parent's font
    const HWND hwnd =
        CreateWindowExW(0, control.name, text::Utf8ToUtf16(item.text).c_str(),
                        WS_CHILD | WS_VISIBLE | control.style | item.style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), nullptr, nullptr);
    if (hwnd == nullptr)
        return nullptr;
    SendMessageW(hwnd, WM_SETFONT, static_cast<WPARAM>(SendMessageW(parent, WM_GETFONT, 0, 0)),
                 FALSE);
    HookWindow(hwnd);
    return hwnd;
}

bool AddWindowObserver(HWND hwnd, IWindowObserver* observer) {
    return HookWindowAndChildren(hwnd) && AddHookObserver(hwnd, observer);
}

bool RemoveWindowObserver(HWND hwnd, IWindowObserver* observer) {
    return RemoveHookObserver(hwnd, observer);
}

std::string GetWindowTextString(HWND hwnd) {
    return WindowTextUtf8(hwnd);
}

} // namespace vortan::win
