#include <QApplication>

#include "app/form2.h"
#include "platform/fonts.h"
#include "platform/quitsignals.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jotpin"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/jotpin.svg")));
    fonts::installSubstitutes();

    auto* main = new Form2();
    main->Form_Load();

    // A desktop session or kill ends the program: save everything and leave cleanly.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &app, [main] {
        main->Unload();
        QApplication::exit(0);
    });
    return QApplication::exec();
}
