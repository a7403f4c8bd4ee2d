#pragma once
// Every window of the program in the order it was opened: the notes and any open dialog, from
// position 1. Closing one moves the later ones down by one. Positions count as they always
// have, from the Windows program's hidden main window at 0 (kept empty here), so that the
// current note and the store's numbering agree with stores it wrote.

#include <QList>
#include <QObject>
#include <QWidget>

class NoteWindow;

class OpenWindows : public QObject {
    Q_OBJECT
public:
    explicit OpenWindows(QObject* parent = nullptr) : QObject(parent) { m_windows.append(nullptr); }

    int count() const { return static_cast<int>(m_windows.size()); }
    QWidget* at(int index) const;  // nullptr when out of range, and at 0
    int indexOf(const QWidget* window) const { return static_cast<int>(m_windows.indexOf(window)); }
    bool isOpen(const QWidget* window) const { return indexOf(window) >= 0; }
    QWidget* newest() const { return at(count() - 1); }

    void add(QWidget* window) { m_windows.append(window); }
    // Takes the window out, hides it and deletes it later. Closing a window that is not open
    // does nothing.
    void close(QWidget* window);
    // Closes members count() - 1 down to `from`, the last first.
    void closeFrom(int from);

    // The open notes, in window order.
    QList<NoteWindow*> notes() const;

    // Position of the note activated last; commands act on it.
    int currentNoteIndex() const { return m_currentNoteIndex; }
    // Makes this note the current one, when it is open.
    void noteActivated(const NoteWindow* note);

Q_SIGNALS:
    // A window was closed; it has left the list and is still whole.
    void closed(QWidget* window);

private:
    QList<QWidget*> m_windows;
    int m_currentNoteIndex = 0;
};
