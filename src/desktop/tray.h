#pragma once
// The icon in the notification area. The program talks to this interface; tests use a double.

#include <QIcon>
#include <QObject>
#include <QString>

#include "platform/service.h"

class QMenu;

class TrayIcon : public QObject, public Service<TrayIcon> {
    Q_OBJECT
public:
    using QObject::QObject;
    // The icon goes into the tray now, or into the first one that starts later.
    virtual void add(const QIcon& icon) = 0;
    virtual void setTip(const QString& tip) = 0;
    // The menu the tray opens on a right click: a panel of the StatusNotifierItem kind shows
    // it itself (over D-Bus), an XEmbed tray lets Qt pop it up at the click.
    virtual void setMenu(QMenu* menu) = 0;
    virtual void remove() = 0;
    virtual bool isAdded() const = 0;
    // The icon stands in a tray now.
    virtual bool hostAvailable() const = 0;
    // A message in a balloon beside the icon, gone after a while.
    virtual void showMessage(const QString& title, const QString& text) = 0;

Q_SIGNALS:
    void leftButtonUp();
    // A right click that the tray left to the program: it opened no menu of its own.
    void rightButtonUp();

private:
    friend Service;
    static TrayIcon& real();  // the program's one tray icon
};
