#pragma once

#include "platform/WinDef.h"

class QDialog;

namespace vortan::gui {

// Shows `dialog` modally and runs the program's message loop until it is finished, as the
// platform's modal windows do: posted messages, timers and bus calls go on meanwhile. The
// dialog window that `owner` belongs to (a control stands for its dialog) takes no input for
// that time. Returns the dialog's result, or -1 when WM_QUIT ended the loop (it is posted again
// for the loop outside).
int RunModalDialog(QDialog& dialog, HWND owner);

} // namespace vortan::gui
