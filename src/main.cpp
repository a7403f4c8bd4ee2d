#include <QApplication>

#include "platform/apppaths.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jotpin"));
    QApplication::setQuitOnLastWindowClosed(false);
    // The note windows and the tray come with the following work; until then there is nothing
    // to show.
    return 0;
}
