#include "app/focusback.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "note/notewindow.h"

bool FocusBackToNote::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide) || !watched->isWidgetType()) return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || qobject_cast<NoteWindow*>(window)) return false;
    const Qt::WindowType kind = window->windowType();
    if (kind == Qt::Popup || kind == Qt::ToolTip || kind == Qt::Desktop) return false;
    if (type == QEvent::Show) {
        if (auto* note = qobject_cast<NoteWindow*>(QApplication::activeWindow()))
            m_openedFrom.insert(window, note);
        return false;
    }
    const QPointer<NoteWindow> note = m_openedFrom.take(window);
    if (!note) return false;
    // After the hide: by then the program's active window is the box no longer, or a hidden one.
    QTimer::singleShot(0, note, [note] {
        const QWidget* active = QApplication::activeWindow();
        if (note->isVisible() && (!active || !active->isVisible())) note->activateWindow();
    });
    return false;
}
