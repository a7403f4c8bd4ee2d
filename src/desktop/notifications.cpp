#include "desktop/notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

class DBusNotifications : public Notifications {
public:
    bool show(const QString& title, const QString& text) override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) return false;
        QDBusMessage notify = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        // Application, replaces no earlier one, icon, summary, body, no actions, no hints, and
        // left up until the user closes it: it says something to remember.
        notify << QStringLiteral("Jotpin") << 0U << QStringLiteral("jotpin") << title << text
               << QStringList() << QVariantMap() << 0;
        return bus.call(notify, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
    }
};

}  // namespace

Notifications& Notifications::real() {
    static DBusNotifications real;
    return real;
}
