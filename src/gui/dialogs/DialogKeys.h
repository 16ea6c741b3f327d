#pragma once
// Key handling shared by the dialogs that have neither a default nor a cancel button.
class QKeyEvent;

namespace DialogKeys {
// Accepts Enter, Return and Escape so that they press nothing and close nothing; returns
// whether the key was one of them. Other keys are left for the dialog's own handling.
bool SwallowEnterAndEscape(QKeyEvent* event);
} // namespace DialogKeys
