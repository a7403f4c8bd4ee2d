#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QProcess>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/focusback.h"
#include "app/requests.h"
#include "desktop/appicon.h"
#include "desktop/displayplatform.h"
#include "desktop/prompts.h"
#include "desktop/singleinstance.h"
#include "platform/apppaths.h"
#include "platform/quitsignals.h"
#include "platform/translations.h"
#include "richtext/fonts.h"

namespace {

// The command line, read before the GUI starts: --help and --version need no display, and
// leave before anything touches the store or the single-instance socket. Returns what the
// start asks of the running program (requests.h), empty for a plain start.
QString readCommandLine(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jotpin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(JOTPIN_VERSION));
    translations::install();
    QCommandLineParser options;
    // Qt's own options take one dash: "-platform xcb".
    options.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    options.setApplicationDescription(QStringLiteral("Jotpin：桌面便笺，住在系统托盘里。"));
    options.addHelpOption();
    options.addVersionOption();
    // Qt counts a Chinese character as one column: the texts start on a line of their own.
    const QCommandLineOption storeOption(
        QStringLiteral("store"),
        QStringLiteral("\n帖子文件夹：tie.dat 和 tie/ 所在的文件夹，例如同步工具同步的\n"
                       "文件夹，只用于这一次运行。也可以用环境变量 JOTPIN_STORE\n"
                       "指定。不指定时，用设置里“帖子文件夹…”选的文件夹；没选过\n"
                       "时，安装的 Jotpin 用 ~/.local/share/jotpin/。"),
        QStringLiteral("文件夹"));
    options.addOption(storeOption);
    options.addOptions(requests::options());
    options.addOption({QStringLiteral("platform"),
                       QStringLiteral("\nQt 的窗口系统插件，例如 xcb 或 offscreen。"),
                       QStringLiteral("插件")});
    // The rest of Qt's own options pass to the GUI unlisted: a session manager restores the
    // program with "-session <id>".
    for (const char* name :
         {"display", "geometry", "session", "style", "stylesheet", "platformtheme",
          "platformpluginpath", "plugin", "qwindowgeometry", "qwindowtitle", "qwindowicon"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        options.addOption(qtOption);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        options.addOption(qtOption);
    }
    options.process(app);
    QString store = options.value(storeOption);
    if (store.isEmpty()) store = qEnvironmentVariable("JOTPIN_STORE");
    if (!store.isEmpty()) paths::overrideStoreDir(QDir::current().absoluteFilePath(store));
    return requests::chosen(options);
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString request = readCommandLine(argc, argv);
    displayplatform::choose(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jotpin"));
    QApplication::setQuitOnLastWindowClosed(false);
    translations::install();
    // Every note window hands its icon to the X server: three small pictures, read once.
    QApplication::setWindowIcon(appIcon({16, 32, 48}));

    // One program per store: a second start brings the first one forward, or passes on what
    // it was asked to do, and leaves.
    SingleInstance single(paths::storeDir());
    if (!request.isEmpty()) single.setRequest(request);
    QString problem;
    if (single.acquire(&problem) == SingleInstance::Start::AnotherRuns) return 0;
    if (request == requests::kQuit) return 0;  // nothing runs that could end

    fonts::installSubstitutes();
    app.installEventFilter(new FocusBackToNote(&app));
    auto* program = new Application();
    QObject::connect(program, &Application::ended, &app, [&single, program] {
        // Everything is on disk: end now rather than take every window down one by one.
        single.release();
        // Another store folder was chosen: the program starts again, on the folder remembered.
        if (program->restartsAfterEnd() &&
            !QProcess::startDetached(QCoreApplication::applicationFilePath(), {}))
            Prompts::instance().warn(
                QStringLiteral("Jotpin 没能重新启动，请再启动一次：帖子文件夹已经换成 %1。")
                    .arg(QDir::toNativeSeparators(paths::rememberedStoreDir())),
                QStringLiteral("帖子文件夹"));
        std::fflush(nullptr);
        std::_Exit(0);
    });
    QObject::connect(&single, &SingleInstance::activated, program, &Application::perform);

    // The end of the desktop session, kill and Ctrl+C end the program as the exit command
    // does, without asking.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, program, &Application::shutDown);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, program,
                     [program](QSessionManager&) { program->shutDown(); });

    program->startUp();
    if (!problem.isEmpty()) program->tellUser(problem);
    if (const QString notice = displayplatform::limitsNotice(); !notice.isEmpty())
        program->tellUser(notice);
    if (!request.isEmpty()) program->perform(request);
    return QApplication::exec();
}
