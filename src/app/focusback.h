#pragma once
// The focus back to the note a box or dialog was opened from, once it closes. A window manager
// gives the focus to another window of its own choice, and openbox passes over a normal window
// that has no taskbar button, which a note is.

#include <QHash>
#include <QObject>
#include <QPointer>

class NoteWindow;

// Installed on the application, it sees every window of the program come and go.
class FocusBackToNote : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, QPointer<NoteWindow>> m_openedFrom;
};
