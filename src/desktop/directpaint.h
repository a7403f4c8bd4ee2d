#pragma once

class QWidget;

// Pictures that change every second, put straight onto their window.
//
// On X11 Qt draws a window into an image it shares with the X server, and before drawing a
// second time into a part it sent before, it waits for the server (one round trip). A clock in
// every shown note repainted each second that way wakes the program once per note and second.
// Sent as a plain image instead, nothing is waited for; the window's own copy of that part goes
// stale, so the widget is put again after the window was exposed.
namespace directpaint {

// Draws `widget` (its background and its paintEvent) onto its window now, clipped to the part
// of it that is not covered. False where this cannot be done (no X11, not shown, an unusual
// pixel format): then the caller repaints as usual.
bool paintNow(QWidget* widget);

// After the widget's window is exposed (uncovered, shown again), puts the widget once more.
void repaintAfterExpose(QWidget* widget);

}  // namespace directpaint
