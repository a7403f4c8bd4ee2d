#include "app/topmost.h"

#include <QEvent>

#include "app/openwindows.h"
#include "desktop/windowops.h"
#include "note/notewindow.h"

void applyTopmostToAll(const OpenWindows& windows, bool notesOnTop) {
    for (QWidget* window : windows.windows())
        windowops::setTopmost(window, notesOnTop);
}

bool DialogsAboveNotes::eventFilter(QObject* watched, QEvent* event) {
    // Sent before the window is mapped: it comes up in the band, not raised into it later.
    if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || qobject_cast<NoteWindow*>(window)) return false;
    const Qt::WindowType type = window->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop) return false;
    if (m_notesOnTop() && !windowops::isTopmost(window)) windowops::setTopmost(window, true);
    return false;
}
