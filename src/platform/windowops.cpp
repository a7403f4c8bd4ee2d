#include "platform/windowops.h"

#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/xcbconnection.h"

namespace windowops {

void setTopmost(QWidget* window, bool topmost) {
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (QWindow* handle = window->windowHandle()) {
        // QWidget::setWindowFlags would hide the window; tell the native window directly and
        // keep the widget's own record in step.
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

bool isTopmost(const QWidget* window) {
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
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
