#pragma once

namespace vortan::win {

// What a window of the model is; a view picks its widget by it.
enum class WindowKind {
    Dialog,      // a top-level dialog built from a template
    MessageOnly, // receives messages, never shown
    Static,      // static text
    Button,      // push button; BS_DEFPUSHBUTTON marks the default one
    Edit,
    ProgressBar, // range and position
    Icon,
    GroupBox,
};

} // namespace vortan::win
