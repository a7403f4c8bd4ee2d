#pragma once
// The icon in the notification area. The program talks to this interface; tests use a double.

#include <QIcon>
#include <QObject>
#include <QString>

#include "platform/service.h"

class TrayIcon : public QObject, public Service<TrayIcon> {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void add(const QIcon& icon) = 0;
    virtual void setTip(const QString& tip) = 0;
    virtual void remove() = 0;
    virtual bool isAdded() const = 0;
    // A tray host is running now (the icon appears in one that starts later, too).
    virtual bool hostAvailable() const = 0;
    // A message in a balloon beside the icon, gone after a while.
    virtual void showMessage(const QString& title, const QString& text) = 0;

Q_SIGNALS:
    void leftButtonUp();
    void rightButtonUp();

private:
    friend Service;
    static TrayIcon& real();  // the program's one tray icon
};
