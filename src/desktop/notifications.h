#pragma once
// Desktop notifications (org.freedesktop.Notifications): a message that needs no tray icon and
// no window of ours. Tests install a recorder.

#include <QString>

#include "platform/service.h"

class Notifications : public Service<Notifications> {
public:
    virtual ~Notifications() = default;
    // False when the desktop shows none (no notification server).
    virtual bool show(const QString& title, const QString& text) = 0;

private:
    friend Service;
    static Notifications& real();
};
