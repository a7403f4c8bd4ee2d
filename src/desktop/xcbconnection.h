#pragma once
// The X server connection that Qt uses, for the few things Qt does not offer. Null where there
// is none: another platform, or the offscreen one, which answers as X11 without a connection.

#include <xcb/xcb.h>
#include <QGuiApplication>

inline xcb_connection_t* xcbConnection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
