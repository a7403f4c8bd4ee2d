#pragma once
// Window-manager operations on top-level windows.

#include <QList>
#include <QWindow>

class QWidget;

namespace windowops {

// Keeps the window above all others, or puts it back into the normal band. A shown window
// changes band without being hidden or mapped again.
void setTopmost(QWidget* window, bool topmost);
bool isTopmost(const QWidget* window);

// The desktop's top-level windows from the bottom to the top, as the window manager stacks
// them; empty where it does not say (no X server, a window manager without the list).
QList<WId> stackingOrder();
// Asks for the stacking order ahead, without waiting: the next stackingOrder() takes the answer,
// which by then has usually arrived, so nobody waits for the X server.
void askStackingOrder();

}  // namespace windowops
