// Another program holding text on the clipboard, as a browser or an editor does after a copy:
// reading the clipboard then means asking this process through the X server.
// Usage: clipboard_owner TEXT
#include <QApplication>
#include <QClipboard>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::clipboard()->setText(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    return app.exec();
}
