#include "desktop/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace {

class DesktopShell : public Shell {
public:
    void open(const QUrl& url, std::function<void()> failed) override {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        // xdg-open tells by its exit status whether a handler took the page, but without a
        // desktop it runs the browser in the foreground. Waited for a few seconds only, it
        // stays running with the browser after the shell has ended.
        if (!QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
            auto* process = new QProcess;
            QObject::connect(process, &QProcess::finished, process,
                             [process, failed](int exitCode, QProcess::ExitStatus status) {
                                 if ((exitCode != 0 || status != QProcess::NormalExit) && failed)
                                     failed();
                                 process->deleteLater();
                             });
            QObject::connect(process, &QProcess::errorOccurred, process,
                             [process, failed](QProcess::ProcessError error) {
                                 if (error != QProcess::FailedToStart) return;
                                 if (failed) failed();
                                 process->deleteLater();
                             });
            process->start(QStringLiteral("/bin/sh"),
                           {QStringLiteral("-c"),
                            QStringLiteral("xdg-open \"$1\" >/dev/null 2>&1 & opener=$!; "
                                           "sleep 3; kill -0 $opener 2>/dev/null && exit 0; "
                                           "wait $opener"),
                            QStringLiteral("sh"), url.toString()});
            return;
        }
#endif
        if (!QDesktopServices::openUrl(url) && failed) failed();
    }
};

}  // namespace

Shell& Shell::real() {
    static DesktopShell real;
    return real;
}
