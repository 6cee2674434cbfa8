// Borderless windows have no title bar for the window manager to move them by: their own header
// (the strip at their top) takes its place. A press there that no control takes, and a drag,
// move the window.
#pragma once

class QApplication;

namespace HeaderDrag {

// The height of the header strip of a borderless window, unless the window sets the dynamic
// property "headerHeight".
inline constexpr int kDefaultHeight = 24;

// Makes every borderless window of the application movable by its header; windows that fill
// their screen (the start window) stay where they are.
void install(QApplication *app);

} // namespace HeaderDrag
