#include "app/openwindows.h"

#include "note/notewindow.h"

void OpenWindows::close(QWidget* window) {
    if (!window || !m_windows.removeOne(window)) return;
    if (window == m_current) m_current = nullptr;
    window->hide();
    window->deleteLater();
    Q_EMIT closed(window);
}

void OpenWindows::closeAll() {
    while (!m_windows.isEmpty())
        close(m_windows.last());
}

QList<NoteWindow*> OpenWindows::notes() const {
    QList<NoteWindow*> notes;
    for (QWidget* window : m_windows) {
        if (auto* note = qobject_cast<NoteWindow*>(window)) notes.append(note);
    }
    return notes;
}

NoteWindow* OpenWindows::currentNote() const {
    return static_cast<NoteWindow*>(m_current.data());
}

void OpenWindows::noteActivated(NoteWindow* note) {
    if (isOpen(note)) m_current = note;
}
