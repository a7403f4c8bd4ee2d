#include "dialogs/toolframe.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include "desktop/windowops.h"
#include "platform/units.h"
#include "store/values.h"

namespace {

// Our dialogs are plain widgets: to a screen reader each is a dialog, not a bare filler.
QAccessibleInterface* toolWindowInterface(const QString& className, QObject* object) {
    if (className != QLatin1String("IconPicker") && className != QLatin1String("NoteListDialog") &&
        className != QLatin1String("SettingsDialog"))
        return nullptr;
    auto* window = qobject_cast<QWidget*>(object);
    return window && window->isWindow() ? new QAccessibleWidget(window, QAccessible::Dialog)
                                        : nullptr;
}

}  // namespace

namespace toolframe {

void readAsDialog() {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(toolWindowInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

void setUp(QWidget* window, int widthTwips, int heightTwips) {
    readAsDialog();
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
    // Every tool window is titled "Jotpin"; a screen reader names it by what it shows.
    window->setAccessibleName(text);
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
