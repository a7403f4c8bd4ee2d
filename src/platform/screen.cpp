#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/units.h"

namespace Screen {

int Width() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? units::pixelsToTwips(screen->geometry().width()) : 0;
}

int Height() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? units::pixelsToTwips(screen->geometry().height()) : 0;
}

}  // namespace Screen
