#include "app/openwindows.h"

#include "note/notewindow.h"

QWidget* OpenWindows::at(int index) const {
    return index >= 0 && index < m_windows.size() ? m_windows[index] : nullptr;
}

void OpenWindows::close(QWidget* window) {
    if (!window || !m_windows.removeOne(window)) return;
    window->hide();
    window->deleteLater();
    Q_EMIT closed(window);
}

void OpenWindows::closeFrom(int from) {
    for (int i = count() - 1; i >= qMax(from, 0); --i) {
        if (QWidget* window = at(i)) close(window);
    }
}

QList<NoteWindow*> OpenWindows::notes() const {
    QList<NoteWindow*> notes;
    for (int i = 1; i < count(); ++i) {
        if (auto* note = qobject_cast<NoteWindow*>(m_windows[i])) notes.append(note);
    }
    return notes;
}

void OpenWindows::noteActivated(const NoteWindow* note) {
    if (const int at = indexOf(note); at > 0) m_currentNoteIndex = at;
}
