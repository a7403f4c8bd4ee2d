#include "desktop/tray.h"

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "desktop/xcbconnection.h"

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// A desktop that has both kinds of tray (Plasma on X) starts them together: a watcher that has
// no host yet gets this long before an XEmbed tray, which has no menu of ours, is taken.
constexpr int kHostGraceMs = 2000;
constexpr int kBusTimeoutMs = 1000;

xcb_atom_t internAtom(xcb_connection_t* x, const QByteArray& name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, name.size(), name.constData()), nullptr),
        &std::free);
    return reply ? reply->atom : 0;
}

// The XEmbed tray of the screen: the owner of its manager selection. A tray that starts says
// so to the root window (a "MANAGER" message), which Qt listens to already.
class XEmbedTray : public QAbstractNativeEventFilter {
public:
    XEmbedTray(xcb_connection_t* x, std::function<void()> started)
        : m_x(x), m_started(std::move(started)) {
        const QString display = qEnvironmentVariable("DISPLAY");
        const qsizetype dot = display.lastIndexOf(u'.');
        const int screen = dot > display.lastIndexOf(u':') ? display.mid(dot + 1).toInt() : 0;
        m_selection = internAtom(m_x, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen));
        m_manager = internAtom(m_x, "MANAGER");
    }
    bool present() const {
        const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
            xcb_get_selection_owner_reply(m_x, xcb_get_selection_owner(m_x, m_selection), nullptr),
            &std::free);
        return reply && reply->owner != XCB_NONE;
    }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->type == m_manager && client->data.data32[1] == m_selection) m_started();
        return false;  // Qt's own tray code wants it too
    }

private:
    xcb_connection_t* m_x;
    std::function<void()> m_started;
    xcb_atom_t m_selection = 0;
    xcb_atom_t m_manager = 0;
};

// The QSystemTrayIcon is made only once a tray is there. Qt's Unix theme decides once per
// program, the first time a tray icon or isSystemTrayAvailable() is touched, whether the
// StatusNotifierItem tray is used: touched before a panel has started, the icon would be an
// XEmbed one for good, which the panels of that kind never show.
class QtTrayIcon : public TrayIcon {
public:
    QtTrayIcon() {
        m_look.setSingleShot(true);
        connect(&m_look, &QTimer::timeout, this, &QtTrayIcon::look);
        m_grace.setSingleShot(true);
        m_grace.setInterval(kHostGraceMs);
        connect(&m_grace, &QTimer::timeout, this, [this] {
            m_graceOver = true;
            look();
        });
    }
    void add(const QIcon& icon) override {
        m_picture = icon;
        m_wanted = true;
        watch();
        if (m_icon) {
            m_icon->setIcon(icon);
            m_icon->show();
        } else {
            look();
        }
    }
    void setTip(const QString& tip) override {
        m_tip = tip;
        if (m_icon) m_icon->setToolTip(tip);
    }
    void setMenu(QMenu* menu) override {
        m_menu = menu;
        if (m_icon) m_icon->setContextMenu(menu);
    }
    void remove() override {
        m_wanted = false;
        if (m_icon) m_icon->hide();
    }
    bool isAdded() const override { return m_wanted && m_icon && m_icon->isVisible(); }
    bool hostAvailable() const override {
        if (!m_icon) return false;
        return *m_overDBus ? watcherHasHost() : m_xembed && m_xembed->present();
    }
    void showMessage(const QString& title, const QString& text) override {
        if (m_icon) m_icon->showMessage(title, text, QSystemTrayIcon::Warning, 15000);
    }

private:
    void watch() {
        if (m_watching) return;
        m_watching = true;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            auto* watcher = new QDBusServiceWatcher(
                kWatcher, bus, QDBusServiceWatcher::WatchForRegistration, this);
            // A watcher that starts again gets our icon from Qt, which registers it anew.
            connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &QtTrayIcon::look);
            bus.connect(kWatcher, kWatcherPath, kWatcher,
                        QStringLiteral("StatusNotifierHostRegistered"), &m_look, SLOT(start()));
        }
        if (xcb_connection_t* x = xcbConnection()) {
            m_xembed = std::make_unique<XEmbedTray>(x, [this] { m_look.start(); });
            QCoreApplication::instance()->installNativeEventFilter(m_xembed.get());
        }
    }

    void look() {
        if (!m_wanted || m_icon) return;
        if (!watcherHasHost()) {
            if (!m_xembed || !m_xembed->present()) return;
            if (!m_graceOver && watcherRuns()) {
                if (!m_grace.isActive()) m_grace.start();
                return;
            }
        }
        make();
    }

    void make() {
        // Qt chose its kind of tray at its first look, which is ours now.
        if (!m_overDBus) m_overDBus = watcherHasHost();
        m_icon = std::make_unique<QSystemTrayIcon>(m_picture);
        m_icon->setToolTip(m_tip);
        if (m_menu) m_icon->setContextMenu(m_menu);
        connect(m_icon.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) Q_EMIT leftButtonUp();
                    // An XEmbed tray's right click has popped the menu up already.
                    if (reason == QSystemTrayIcon::Context && !(m_menu && m_menu->isVisible()))
                        Q_EMIT rightButtonUp();
                });
        m_icon->show();
    }

    bool watcherRuns() const {
        QDBusConnection bus = QDBusConnection::sessionBus();
        return bus.isConnected() && bus.interface()->isServiceRegistered(kWatcher);
    }

    bool watcherHasHost() const {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) return false;
        QDBusMessage get = QDBusMessage::createMethodCall(
            kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusMessage reply = bus.call(get, QDBus::Block, kBusTimeoutMs);
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
               reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
    }

    QIcon m_picture;
    QString m_tip;
    QMenu* m_menu = nullptr;
    bool m_wanted = false;
    bool m_watching = false;
    bool m_graceOver = false;
    std::optional<bool> m_overDBus;  // Qt's choice, made with the first icon
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<XEmbedTray> m_xembed;
    QTimer m_look;
    QTimer m_grace;
};

}  // namespace

TrayIcon& TrayIcon::real() {
    static auto* real = new QtTrayIcon();  // lives as long as the program
    return *real;
}
