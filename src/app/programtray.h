#pragma once
// The program's icon in the tray and its clicks: a left click brings up the newest window (or
// makes the first note), a right click opens the tray menu. Also where the user is told of a
// problem: beside the icon, else as a desktop notification, else in a box.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>

class QWidget;
class QMenu;

class ProgramTray : public QObject {
    Q_OBJECT
public:
    // How long a tray may take to start with the desktop session.
    static constexpr int kTrayWaitMs = 10000;

    // `newest`: the window a left click brings up, nullptr while there is none to bring up.
    ProgramTray(std::function<QWidget*()> newest, QMenu* menu, std::function<void()> newNote,
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

private:
    std::function<QWidget*()> m_newest;
    QMenu* m_menu;
    std::function<void()> m_newNote;
    bool m_removed = false;
};
