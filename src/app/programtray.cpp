#include "app/programtray.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "app/notefactory.h"
#include "app/openwindows.h"
#include "desktop/appicon.h"
#include "desktop/notifications.h"
#include "desktop/prompts.h"
#include "desktop/tray.h"
#include "desktop/windowops.h"
#include "note/notewindow.h"
#include "notes/notelist.h"
#include "platform/apppaths.h"

ProgramTray::ProgramTray(OpenWindows& windows, const NoteList& notes, NoteFactory& noteWindows,
                         QMenu* menu, QObject* parent)
    : QObject(parent),
      m_windows(windows),
      m_notes(notes),
      m_noteWindows(noteWindows),
      m_menu(menu) {}

QWidget* ProgramTray::windowToBringUp() {
    QWidget* newest = m_windows.newest();
    if (newest && !qobject_cast<NoteWindow*>(newest)) return newest;
    const QList<NoteEntry*>& notes = m_notes.entries();
    return notes.isEmpty() ? nullptr : m_noteWindows.windowFor(*notes.last());
}

void ProgramTray::show() {
    TrayIcon& tray = TrayIcon::instance();
    // Trays ask for 16 to 64 pixels: each size drawn for itself stays sharp.
    const QIcon icon = appIcon({16, 22, 24, 32, 48, 64});
    tray.setMenu(m_menu);
    tray.add(icon);
    tray.setTip(QStringLiteral("Jotpin"));
    QTimer::singleShot(kTrayWaitMs, this, &ProgramTray::tellIfNoTray);
    connect(&tray, &TrayIcon::leftButtonUp, this, &ProgramTray::leftClicked);
    connect(&tray, &TrayIcon::rightButtonUp, this, &ProgramTray::rightClicked);
}

void ProgramTray::remove() {
    m_removed = true;
    TrayIcon::instance().remove();
    disconnect(&TrayIcon::instance(), nullptr, this, nullptr);
}

void ProgramTray::leftClicked() {
    QWidget* newest = windowToBringUp();
    if (!newest) {
        Q_EMIT newNoteWanted();
        return;
    }
    newest->show();
    newest->raise();
    newest->activateWindow();
}

void ProgramTray::rightClicked() {
    popUpMenu(QCursor::pos());
}

void ProgramTray::activateFromOutside() {
    const TrayIcon& tray = TrayIcon::instance();
    if (tray.isAdded() && tray.hostAvailable())
        leftClicked();
    else
        popUpMenu(QCursor::pos());  // without a tray this is the only way to the tray commands
}

QMenu* ProgramTray::popUpMenu(QPoint at) {
    // Without waiting for it to close: a tray's click handler returns at once.
    if (!m_menu->isVisible()) m_menu->popup(at);
    return m_menu;
}

void ProgramTray::tell(const QString& text) {
    std::fprintf(stderr, "jotpin: %s\n", qPrintable(text));
    TrayIcon& tray = TrayIcon::instance();
    if (tray.isAdded() && tray.hostAvailable())
        tray.showMessage(QStringLiteral("Jotpin"), text);
    else if (!Notifications::instance().show(QStringLiteral("Jotpin"), text))
        Prompts::instance().tell(text, QStringLiteral("Jotpin"));
}

QString ProgramTray::noTrayKey(const QString& desktop, const QString& windowManager) {
    QString name = !desktop.isEmpty()         ? desktop
                   : !windowManager.isEmpty() ? QStringLiteral("wm-") + windowManager
                                              : QStringLiteral("none");
    // A key as it stands in the file: QSettings takes a slash for a group and escapes the
    // rest of "ubuntu:GNOME" or "GNOME Shell".
    for (QChar& c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'_') c = u'-';
    }
    return QStringLiteral("noTray/") + name;
}

void ProgramTray::tellIfNoTray() {
    if (m_removed || TrayIcon::instance().hostAvailable()) return;
    // Once on each desktop, remembered beside the snapshots: a desktop without a tray stays so
    // at every login, and the advice does not change; another desktop may have one. A session
    // without a desktop's name (a bare window manager started by a display manager or startx)
    // is known by its window manager.
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    QSettings told(paths::keptDir() + QStringLiteral("/told.ini"), QSettings::IniFormat);
    const QString key =
        noTrayKey(desktop, desktop.isEmpty() ? windowops::windowManagerName() : QString());
    if (told.value(key).toBool()) return;
    told.setValue(key, true);
    told.sync();  // a desktop notification may take a while to be shown
    const QString noTray = QStringLiteral(
        "这个桌面没有系统托盘，Jotpin 的图标和托盘菜单无法显示，但 Jotpin 在运行。\n"
        "托盘菜单：再启动一次 Jotpin 就会在鼠标处打开；");
    if (desktop.isEmpty()) {
        // No desktop: no applications menu to offer the entry's actions either.
        tell(noTray + QStringLiteral("命令 jotpin --new-note、--note-list、--show-all 和 --quit "
                                     "也能新建帖子、打开帖子列表、显示所有帖子和退出。\n"
                                     "装一个系统托盘（stalonetray、trayer 或带托盘的面板）"
                                     "就能看到图标。"));
        return;
    }
    tell(noTray +
         QStringLiteral(
             "新建帖子、帖子列表、显示所有帖子和退出也在应用程序菜单里 Jotpin 的右键菜单中。\n"
             "GNOME 可以安装 AppIndicator 扩展（gnome-shell-extension-appindicator）来显示托盘。"));
}
