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

QList<NoteWindow*> OpenWindows::numberedNotes() const {
    QList<NoteWindow*> notes;
    for (int i = 1; i < count(); ++i) {
        auto* note = qobject_cast<NoteWindow*>(m_windows[i]);
        if (note && note->number() != 0) notes.append(note);
    }
    return notes;
}

void OpenWindows::noteActivated(const NoteWindow* note) {
    const int windows = count();
    for (int i = 1; i < windows; ++i) {
        const auto* other = qobject_cast<const NoteWindow*>(m_windows[i]);
        if (other && other->number() == note->number()) {
            m_currentNoteIndex = i;
            return;
        }
    }
}
