// Keyboard use that every window shares, installed once on the application:
// - Enter presses a button the keyboard moved the focus to (Tab, Shift+Tab, a shortcut), as Space
//   does. A button focused by a mouse click leaves Enter to its window, and so does an answer
//   option (property "answerOption"), where Enter keeps the question window's meaning.
// - Enter on the current row of a list or table does what a double-click on it does, unless the
//   view's window reads Enter there itself (keepEnter).
// - A widget the keyboard moved the focus to carries a plain focus ring.
#pragma once

class QApplication;
class QWidget;

namespace KeyboardAccess {

void install(QApplication *app);
// Leaves Enter on this view to its window's own handling.
void keepEnter(QWidget *view);
// The widget the focus ring stands around now (null when none shows).
QWidget *ringTarget();

} // namespace KeyboardAccess
