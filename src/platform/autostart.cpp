#include "platform/autostart.h"

#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace autostart {

QString entryPath(const QString& exeName) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + exeName + QStringLiteral(".desktop");
}

QString execArgument(const QString& program) {
    // Inside double quotes, ", `, $ and \ take a backslash; % is doubled everywhere.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    QString arg;
    for (const QChar c : program) {
        if (reserved.contains(c)) quote = true;
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') arg += u'\\';
        arg += c;
        if (c == u'%') arg += u'%';
    }
    return quote ? u'"' + arg + u'"' : arg;
}

namespace {
// The string escapes of a desktop entry value: a backslash is written twice.
QString valueEscaped(const QString& value) {
    QString out = value;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'\n', QStringLiteral("\\n"));
    return out;
}
}  // namespace

QByteArray entryText(const QString& appPath, const QString& exeName) {
    const QString program = QDir(appPath).filePath(exeName);
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Jotpin\n");
    text += QStringLiteral("Name[zh_CN]=Jotpin 桌面便签\n");
    text += QStringLiteral("Comment=Sticky notes on the desktop\n");
    text += QStringLiteral("Exec=") + valueEscaped(execArgument(program)) + u'\n';
    text += QStringLiteral("Path=") + valueEscaped(appPath) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool write(const QString& appPath, const QString& exeName, QString* error) {
    const QString path = entryPath(exeName);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray text = entryText(appPath, exeName);
    QByteArray existing;
    QString ignored;
    // An entry that already says this is left alone: no write at every exit.
    if (files::readRegular(path, qint64(64) * 1024, &existing, &ignored) == files::ReadResult::Ok &&
        existing == text)
        return true;
    return files::writeAtomically(path, text, error);
}

bool remove(const QString& exeName, QString* error) {
    QFile file(entryPath(exeName));
    if (!file.exists() || file.remove()) return true;
    if (error) *error = file.fileName() + QStringLiteral(": ") + file.errorString();
    return false;
}

}  // namespace autostart
