#pragma once
// Key filtering and focus-leave checks for single-line edit fields.
#include <QChar>
#include <functional>
#include <optional>

class QLineEdit;

// Sees each typed character (Backspace as 0x08, Ctrl+V as 0x16, ...), also each character of
// text committed by an input method, and returns the character to let through (possibly
// changed) or nothing to drop it. Keys without a character (arrows, Delete) always pass, and
// so do Tab, Shift+Tab and Enter, which move the focus or press the default button.
using KeyFilter = std::function<std::optional<QChar>(QChar typed)>;
void InstallKeyFilter(QLineEdit* edit, KeyFilter filter);

// Runs when the focus moves from the field to another control of the window. Not when the
// window itself loses the focus or a message box takes it, and never re-entered: a check
// that shows a box and puts the focus back cannot loop.
void InstallExitHandler(QLineEdit* edit, std::function<void()> onExit);

// Filters shared by several fields.
std::optional<QChar> DigitsAndBackspace(QChar typed);
