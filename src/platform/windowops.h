#pragma once
// Window-manager operations on top-level windows.

class QWidget;

namespace windowops {

// Keeps the window above all others, or puts it back into the normal band. A shown window
// changes band without being hidden or mapped again.
void setTopmost(QWidget* window, bool topmost);
bool isTopmost(const QWidget* window);

}  // namespace windowops
