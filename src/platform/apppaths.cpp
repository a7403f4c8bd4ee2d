#include "platform/apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "platform/files.h"

namespace paths {
namespace {

QString g_path;
QString g_exeName;
QString g_storeDir;
QString g_decidedStoreDir;

}  // namespace

bool canWriteIn(const QString& dir) {
    // access(W_OK) can be wrong on network and read-only mounts: try to create a file.
    QTemporaryFile probe(dir + QStringLiteral("/.jotpin-write-test-XXXXXX"));
    return probe.open();
}

QString programDir() {
    if (!g_path.isEmpty()) return g_path;
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

QString programName() {
    if (!g_exeName.isEmpty()) return g_exeName;
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString storeDir() {
    if (!g_storeDir.isEmpty()) return g_storeDir;
    // Decided once per run (it takes a file creation): the store never moves while running.
    if (g_decidedStoreDir.isEmpty()) {
        const QString path = programDir();
        // Never created here: a missing one may be a synced folder not mounted yet, waited for
        // as a missing --store folder is.
        const QString remembered = rememberedStoreDir();
        // An installed program keeps its notes in the user's data folder, even in a prefix
        // the user can write.
        if (!remembered.isEmpty()) {
            g_decidedStoreDir = remembered;
        } else if (!isInstalled() && canWriteIn(path)) {
            g_decidedStoreDir = path;
        } else {
            const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
            QDir().mkpath(data);
            g_decidedStoreDir = QDir::cleanPath(data);
        }
    }
    return g_decidedStoreDir;
}

bool storeDirOverridden() {
    return !g_storeDir.isEmpty();
}

QString rememberedStoreFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/store");
}

QString rememberedStoreDir() {
    QByteArray bytes;
    QString error;
    if (files::readRegular(rememberedStoreFile(), qint64(64) * 1024, &bytes, &error) !=
        files::ReadResult::Ok)
        return {};
    // One line; a folder's name may start or end with spaces.
    QString dir = QString::fromUtf8(bytes);
    if (dir.endsWith(u'\n')) dir.chop(1);
    return QDir::isAbsolutePath(dir) ? QDir::cleanPath(dir) : QString();
}

bool rememberStoreDir(const QString& dir, QString* error) {
    const QString file = rememberedStoreFile();
    QDir().mkpath(QFileInfo(file).path());
    return files::writeAtomically(file, QByteArray(QDir::cleanPath(dir).toUtf8() + '\n'), error);
}

QString keptDir() {
    // Qt 6.4 has no state location yet.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + u'/' + QCoreApplication::applicationName();
}

QString snapshotsDir() {
    return keptDir() + QStringLiteral("/snapshots");
}

QString conflictsDir() {
    return keptDir() + QStringLiteral("/conflicts");
}

bool isInstalled() {
    return QFileInfo(programDir()).fileName() == QStringLiteral("bin") &&
           QFileInfo(installedDataDir()).isDir();
}

QString installedDataDir() {
    return QDir::cleanPath(programDir() + QStringLiteral("/../share/") + programName());
}

QString shippedFile(const QString& name) {
    QString beside = programDir() + u'/' + name;
    if (QFileInfo::exists(beside)) return beside;
    // Installed under any prefix: <prefix>/bin/jotpin reads <prefix>/share/jotpin/.
    QString underPrefix = installedDataDir() + u'/' + name;
    if (QFileInfo::exists(underPrefix)) return underPrefix;
    const QString installed = QStandardPaths::locate(QStandardPaths::AppDataLocation, name);
    return installed.isEmpty() ? beside : installed;
}

void overrideProgram(const QString& path, const QString& exeName) {
    g_path = path.isEmpty() ? QString() : QDir::cleanPath(path);
    g_exeName = exeName;
    g_decidedStoreDir.clear();
}

void overrideStoreDir(const QString& dir) {
    g_storeDir = dir.isEmpty() ? QString() : QDir::cleanPath(dir);
    g_decidedStoreDir.clear();
}

}  // namespace paths
