#pragma once
// The program's icon in the tray and its clicks: a left click brings up the newest window (or
// makes the first note), a right click opens the tray menu. Also where the user is told of a
// problem: beside the icon, else as a desktop notification, else in a box.

#include <QObject>
#include <QPoint>
#include <QString>

class NoteFactory;
class NoteList;
class OpenWindows;
class QWidget;
class QMenu;

class ProgramTray : public QObject {
    Q_OBJECT
public:
    // How long a tray may take to start with the desktop session.
    static constexpr int kTrayWaitMs = 10000;

    // A left click brings up the dialog opened last, else the newest note (in a window made
    // for it).
    ProgramTray(OpenWindows& windows, const NoteList& notes, NoteFactory& noteWindows, QMenu* menu,
                QObject* parent = nullptr);

    // The icon with its tip and menu; with no tray kTrayWaitMs later, the user is told how to
    // reach the tray menu.
    void show();
    // The icon goes; nothing is told any more.
    void remove();

    void leftClicked();
    void rightClicked();
    // A second start of the program asks this one to come forward: as a left click, or the
    // tray menu where there is no tray to click.
    void activateFromOutside();
    // The tray menu at a point of the screen, unless it is open already.
    QMenu* popUpMenu(QPoint at);
    // With no tray some time after the start, the user is told how to reach the tray menu,
    // once on each desktop, or each window manager where the session names no desktop.
    void tellIfNoTray();
    // Under which name that was remembered: the desktop's (XDG_CURRENT_DESKTOP), else the
    // window manager's.
    static QString noTrayKey(const QString& desktop, const QString& windowManager);
    void tell(const QString& text);
    // What a left click brings up; nullptr when there is nothing.
    QWidget* windowToBringUp();

Q_SIGNALS:
    // A left click with no note: the first one, at the right edge of the screen.
    void newNoteWanted();

private:
    OpenWindows& m_windows;
    const NoteList& m_notes;
    NoteFactory& m_noteWindows;
    QMenu* m_menu;
    bool m_removed = false;
};
