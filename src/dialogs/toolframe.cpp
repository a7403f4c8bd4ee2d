#include "dialogs/toolframe.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include "platform/units.h"
#include "platform/windowops.h"
#include "store/values.h"

namespace toolframe {

void setUp(QWidget* window, int widthTwips, int heightTwips) {
    window->setWindowTitle(QStringLiteral("Jotpin"));
    // It stays on the desktop beside the notes while another program has the focus.
    windowops::keepOnDesktop(window);
    window->setAutoFillBackground(true);
    QPalette p = window->palette();
    p.setColor(QPalette::Window, store::colourFromBgr(0x00FFC0C0));
    window->setPalette(p);
    QRect frame = units::twipsRect(0, 0, widthTwips, heightTwips);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.moveCenter(screen->geometry().center());
    window->setGeometry(frame);
}

QLabel* addTitle(QWidget* window, const QString& text, const QRect& placeTwips) {
    auto* title = new QLabel(text, window);
    title->setGeometry(
        units::twipsRect(placeTwips.x(), placeTwips.y(), placeTwips.width(), placeTwips.height()));
    QFont font(QStringLiteral("宋体"), 9);
    font.setBold(true);
    title->setFont(font);
    QPalette p = title->palette();
    p.setColor(QPalette::WindowText, store::colourFromBgr(0x00400000));
    title->setPalette(p);
    return title;
}

void showOnTop(QWidget* window) {
    windowops::setTopmost(window, true);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace toolframe
