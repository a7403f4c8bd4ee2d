#pragma once
// Window-manager operations on top-level windows.

#include <QList>
#include <QPointer>
#include <QString>
#include <QWindow>

class QWidget;

namespace windowops {

// Keeps the window above all others, or puts it back into the normal band. A shown window
// changes band without being hidden or mapped again.
void setTopmost(QWidget* window, bool topmost);
bool isTopmost(const QWidget* window);

// Takes a window out of the topmost band for as long as the guard lives, so that a dialog it
// opens does not stand behind it, and puts it back afterwards; only when `when` holds and the
// window is in the band. A window closed meanwhile is left alone.
class TopmostPause {
public:
    explicit TopmostPause(QWidget* window, bool when = true);
    ~TopmostPause();
    TopmostPause(const TopmostPause&) = delete;
    TopmostPause& operator=(const TopmostPause&) = delete;

private:
    QPointer<QWidget> m_window;  // set while it is paused
};

// Makes a borderless top-level window a sticky one on every desktop: a normal window, so that no
// window manager hides it while another program has the focus (KWin hides an inactive
// program's utility windows), with no taskbar button and no pager entry, and floating on a
// tiling one. Call once; the hints are set again each time the window is shown.
void keepOnDesktop(QWidget* window);

// Asks the window manager to drop a move or resize that startSystemMove or startSystemResize
// began: a release that reached the window means the manager never took the mouse, and would
// otherwise leave the window hanging on the pointer until the next click.
void cancelSystemMove(QWidget* window);

// What the window manager calls itself (_NET_WM_NAME of its check window): "Openbox", "KWin"…;
// empty where there is none or it does not say.
QString windowManagerName();

// The desktop's top-level windows from the bottom to the top, as the window manager stacks
// them; empty where it does not say (no X server, a window manager without the list).
QList<WId> stackingOrder();
// Asks for the stacking order ahead, without waiting: the next stackingOrder() takes the answer,
// which by then has usually arrived, so nobody waits for the X server.
void askStackingOrder();

}  // namespace windowops
