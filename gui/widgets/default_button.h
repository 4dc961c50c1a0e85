#pragma once
// Enter on a page of the main window, as in a dialog.
#include <functional>

class QAbstractButton;
class QWidget;

// Picks the button that Enter presses while `focus` (a control of the page) has the focus.
using DefaultButtonChoice = std::function<QAbstractButton*(QWidget* focus)>;

// Enter (or Return) that no control of `page` used for itself presses a button: a push
// button that has the focus presses itself, any other control the button `choose` gives
// for it. Controls that take Enter as input (a text window that sends it) keep it; Enter
// with Ctrl, Alt or Shift is left alone.
void InstallDefaultButton(QWidget* page, DefaultButtonChoice choose);
