#include "desktop/windowops.h"

#include <QEvent>
#include <QHash>
#include <QWidget>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "desktop/xcbconnection.h"

namespace windowops {

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    static QHash<QByteArray, xcb_atom_t> known;
    const QByteArray key(name);
    if (const auto it = known.constFind(key); it != known.cend()) return *it;
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    known.insert(key, value);
    return value;
}

void writeWindowType(xcb_connection_t* connection, xcb_window_t id) {
    // The first type a window manager knows is the one it takes: normal for KWin, mutter,
    // openbox and xfwm4. Sway floats a window with a utility type anywhere in the list.
    const std::array<xcb_atom_t, 2> types = {atom(connection, "_NET_WM_WINDOW_TYPE_NORMAL"),
                                             atom(connection, "_NET_WM_WINDOW_TYPE_UTILITY")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id,
                        atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                        uint32_t(types.size()), types.data());
}

void writeSkipStates(xcb_connection_t* connection, xcb_window_t id) {
    // Qt adds its own states to these when it maps the window.
    const xcb_atom_t property = atom(connection, "_NET_WM_STATE");
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, id, property, XCB_ATOM_ATOM, 0, 64),
                               nullptr),
        &std::free);
    QList<xcb_atom_t> states;
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
            states.append(values[i]);
    }
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t state = atom(connection, name);
        if (!states.contains(state)) states.append(state);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.data());
}

// Sets the hints on every show, before the window is mapped: a window manager forgets the
// states of a window that was unmapped.
class DesktopHints : public QObject {
public:
    explicit DesktopHints(QWidget* window) : QObject(window) {
        setObjectName(name());
        window->installEventFilter(this);
    }
    // Found by its name: without a meta-object of its own, findChild<DesktopHints*> would take
    // any child for one.
    static QString name() { return QStringLiteral("jotpin-desktop-hints"); }
    static const DesktopHints* of(const QWidget* window) {
        return static_cast<const DesktopHints*>(
            window->findChild<QObject*>(name(), Qt::FindDirectChildrenOnly));
    }
    void write(QWidget* window, bool withStates) const {
        xcb_connection_t* connection = xcbConnection();
        if (!connection || !window->windowHandle()) return;
        const auto id = xcb_window_t(window->winId());
        writeWindowType(connection, id);
        if (withStates) writeSkipStates(connection, id);
        xcb_flush(connection);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent())
            write(static_cast<QWidget*>(watched), true);
        return false;
    }
};

}  // namespace

void keepOnDesktop(QWidget* window) {
    if (!DesktopHints::of(window)) new DesktopHints(window);
}

void cancelSystemMove(QWidget* window) {
    xcb_connection_t* connection = xcbConnection();
    if (!connection || !window->windowHandle()) return;
    constexpr uint32_t kCancel = 11;  // _NET_WM_MOVERESIZE_CANCEL
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = atom(connection, "_NET_WM_MOVERESIZE");
    message.data.data32[2] = kCancel;
    message.data.data32[3] = 1;  // the left button
    message.data.data32[4] = 1;  // from an application
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

void setTopmost(QWidget* window, bool topmost) {
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (QWindow* handle = window->windowHandle()) {
        // QWidget::setWindowFlags would hide the window; tell the native window directly and
        // keep the widget's own record in step.
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
        // Qt writes its own window type with the flags.
        if (const DesktopHints* hints = DesktopHints::of(window)) hints->write(window, false);
    } else {
        window->setWindowFlags(flags);
    }
}

bool isTopmost(const QWidget* window) {
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

TopmostPause::TopmostPause(QWidget* window, bool when) {
    if (!when || !window || !isTopmost(window)) return;
    m_window = window;
    setTopmost(window, false);
}

TopmostPause::~TopmostPause() {
    if (m_window) setTopmost(m_window, true);
}

namespace {

// The question asked ahead by askStackingOrder, not yet answered.
std::optional<xcb_get_property_cookie_t> g_askedStackingOrder;

std::optional<xcb_get_property_cookie_t> askFor(xcb_connection_t* connection) {
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom == XCB_ATOM_NONE) {
        static const char kName[] = "_NET_CLIENT_LIST_STACKING";
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection,
                                  xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr),
            &std::free);
        if (!reply || reply->atom == XCB_ATOM_NONE) return std::nullopt;
        atom = reply->atom;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, root, atom, XCB_ATOM_WINDOW, 0, 1 << 16);
    xcb_flush(connection);
    return cookie;
}

}  // namespace

QString windowManagerName() {
    xcb_connection_t* connection = xcbConnection();
    if (!connection) return {};
    using Reply = std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>;
    const auto property = [connection](xcb_window_t window, const char* name, xcb_atom_t type) {
        return Reply(xcb_get_property_reply(connection,
                                            xcb_get_property(connection, 0, window,
                                                             atom(connection, name), type, 0, 256),
                                            nullptr),
                     &std::free);
    };
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const Reply check = property(root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) < 4) return {};
    const xcb_window_t wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    const Reply name = property(wm, "_NET_WM_NAME", atom(connection, "UTF8_STRING"));
    if (!name || name->format != 8) return {};
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
                             xcb_get_property_value_length(name.get()));
}

void askStackingOrder() {
    xcb_connection_t* connection = xcbConnection();
    if (!connection) return;
    if (g_askedStackingOrder) xcb_discard_reply(connection, g_askedStackingOrder->sequence);
    g_askedStackingOrder = askFor(connection);
}

QList<WId> stackingOrder() {
    xcb_connection_t* connection = xcbConnection();
    if (!connection) return {};
    const std::optional<xcb_get_property_cookie_t> cookie =
        g_askedStackingOrder ? g_askedStackingOrder : askFor(connection);
    g_askedStackingOrder.reset();
    if (!cookie) return {};
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, *cookie, nullptr), &std::free);
    if (!reply || reply->format != 32) return {};
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    QList<WId> order;
    order.reserve(count);
    for (int i = 0; i < count; ++i)
        order.append(ids[i]);
    return order;
}

}  // namespace windowops
