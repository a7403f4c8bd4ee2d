#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>

#include "app/traycontroller.h"
#include "platform/apppaths.h"
#include "platform/displayplatform.h"
#include "platform/quitsignals.h"
#include "platform/singleinstance.h"
#include "platform/translations.h"
#include "richtext/fonts.h"

int main(int argc, char* argv[]) {
    displayplatform::choose(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jotpin"));
    QApplication::setQuitOnLastWindowClosed(false);
    translations::install();
    // Every note window hands its icon to the X server: three small pictures, read once.
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap(QStringLiteral(":/appicon/jotpin-%1.png").arg(size)));
    QApplication::setWindowIcon(icon);

    // One program per store: a second start brings the first one forward and leaves.
    SingleInstance single(paths::storeDir());
    QString problem;
    if (single.acquire(&problem) == SingleInstance::Start::AnotherRuns) return 0;

    fonts::installSubstitutes();
    auto* program = new TrayController();
    QObject::connect(program, &TrayController::ended, &app, [&single] {
        // Everything is on disk: end now rather than take every window down one by one.
        single.release();
        std::fflush(nullptr);
        std::_Exit(0);
    });
    QObject::connect(&single, &SingleInstance::activated, program,
                     &TrayController::activateFromOutside);

    // The end of the desktop session, kill and Ctrl+C end the program as the exit command
    // does, without asking.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, program, &TrayController::shutDown);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, program,
                     [program](QSessionManager&) { program->shutDown(); });

    program->startUp();
    if (!problem.isEmpty()) program->tellUser(problem);
    return QApplication::exec();
}
