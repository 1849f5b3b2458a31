#pragma once

// Creating windows of the model, and what a view needs beyond the platform calls. Message-only
// windows are made with CreateMessageWindow (vortan/win/MessageWindow.h).

#include <string>

#include "platform/WinDef.h"
#include "platform/win/DialogTemplate.h"
#ifndef _WIN32
#include "platform/win/Window.h"
#endif
#include "vortan/win/MessageWindow.h"

namespace vortan::win {

class IWindowObserver;

// Creates a dialog and its controls from a template, hidden: showing it is the modal run's
// step after initialization. WS_DISABLED in the template creates it disabled.
HWND CreateDialogWindow(const DialogTemplate& dialogTemplate, HWND parent, WindowHandler handler);
// Adds a control to a window; messages to it go to DefWindowProc.
HWND CreateControl(HWND parent, const DialogItem& item);

// Attaches an observer (a view, a transcript, a relay) to a window; it then hears about the
// window and its controls, next to the window's other observers. It must outlive the
// attachment or detach itself; detaching leaves the others attached.
bool AddWindowObserver(HWND hwnd, IWindowObserver* observer);
bool RemoveWindowObserver(HWND hwnd, IWindowObserver* observer);

#ifndef _WIN32
// An icon handle and the icon resource id it stands for (0 for a null handle).
int IconResourceId(HICON icon);
HICON IconFromResourceId(int id);
#endif

// The window's whole text; empty for an invalid handle.
std::string GetWindowTextString(HWND hwnd);

} // namespace vortan::win
