#pragma once
// Every window of the program in the order it was opened: the note windows and any open dialog.
// Closing one moves the later ones down by one.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

class NoteWindow;

class OpenWindows : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const QList<QWidget*>& windows() const { return m_windows; }
    int indexOf(const QWidget* window) const { return int(m_windows.indexOf(window)); }
    bool isOpen(const QWidget* window) const { return indexOf(window) >= 0; }
    // The window opened last, nullptr when none is open.
    QWidget* newest() const { return m_windows.isEmpty() ? nullptr : m_windows.last(); }

    void add(QWidget* window) { m_windows.append(window); }
    // Takes the window out, hides it and deletes it later. Closing a window that is not open
    // does nothing.
    void close(QWidget* window);
    // Closes every window, the last first.
    void closeAll();

    // The open note windows, in window order.
    QList<NoteWindow*> notes() const;

    // The note activated last; commands act on it. nullptr once it is closed.
    NoteWindow* currentNote() const;
    // Makes this note the current one, when it is open.
    void noteActivated(NoteWindow* note);

Q_SIGNALS:
    // A window was closed; it has left the list and is still whole.
    void closed(QWidget* window);

private:
    QList<QWidget*> m_windows;
    QPointer<QWidget> m_current;  // a note window
};
