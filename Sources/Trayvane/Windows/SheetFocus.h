#pragma once

class QDialog;

namespace pellacor::app {

// A sheet or dialog over one of the program's windows hands the keyboard back
// when it closes: the window it stood on is active again, and the control that
// had the focus when it opened has it again (the window's own choice when that
// control is gone, hidden or disabled), so keys and the window's shortcuts work
// at once, without a click. A desktop without a window manager activates no
// window by itself. Call it just before the sheet is opened; a sheet without a
// parent is left alone.
void returnFocusOnClose(QDialog& sheet);

} // namespace pellacor::app
