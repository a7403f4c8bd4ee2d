#include "desktop/screen.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/units.h"

namespace screen {

int widthTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? units::pixelsToTwips(screen->geometry().width()) : 0;
}

int heightTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? units::pixelsToTwips(screen->geometry().height()) : 0;
}

}  // namespace screen
