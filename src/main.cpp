#include <QApplication>
#include <QSessionManager>

#include "app/form2.h"
#include "platform/apppaths.h"
#include "richtext/fonts.h"
#include "platform/quitsignals.h"
#include "platform/singleinstance.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jotpin"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/jotpin.svg")));

    // One program per store: a second start brings the first one forward and leaves.
    SingleInstance single(App::StoreDir());
    if (!single.acquire()) return 0;

    fonts::installSubstitutes();
    auto* main = new Form2();
    QObject::connect(main, &Form2::ended, &app, [] { QApplication::exit(0); });
    QObject::connect(&single, &SingleInstance::activated, main, &Form2::activateFromOutside);

    // The end of the desktop session, kill and Ctrl+C end the program as the exit command
    // does, without asking.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, main, &Form2::shutDown);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, main,
                     [main](QSessionManager&) { main->shutDown(); });

    main->Form_Load();
    return QApplication::exec();
}
