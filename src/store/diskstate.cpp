#include "store/diskstate.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "store/storekeys.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace store {

FileStamp stampOf(const QString& path) {
#ifdef Q_OS_UNIX
    // One stat, with the inode: a file replaced by rename is another file even with the same
    // size and time, which some sync tools give it.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {true, qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000 + qint64(st.st_mtim.tv_nsec) / 1000000,
            quint64(st.st_ino)};
#else
    const QFileInfo info(path);
    if (!info.exists()) return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch(), 0};
#endif
}

DiskState readDiskState(const QString& storeDir) {
    DiskState state;
    state.settings = stampOf(storeDir + u'/' + keys::kSettingsFile);
    for (const QString& name : QDir(storeDir).entryList(QDir::Files | QDir::Hidden)) {
        if (conflictCopyOf(name) == keys::kSettingsFile)
            state.conflictCopies.append(storeDir + u'/' + name);
    }
    const QString folder = storeDir + u'/' + keys::kContentFolder;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        const QString path = folder + u'/' + name;
        if (!name.startsWith(QStringLiteral("tie")) || name.startsWith(QStringLiteral("tie.")))
            continue;
        if (name.endsWith(QStringLiteral(".tie"))) {
            bool ok = false;
            const int n = QStringView(name).sliced(3, name.size() - 7).toInt(&ok);
            if (ok && n > 0 && keys::contentFileName(n) == name) {
                state.contents.insert(n, stampOf(path));
                continue;
            }
        }
        if (!conflictCopyOf(name).isEmpty()) state.conflictCopies.append(path);
    }
    return state;
}

QString conflictCopyOf(const QString& fileName) {
    // Syncthing: NAME.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.EXT
    static const QRegularExpression syncthing(
        QStringLiteral(R"(^(.+)\.sync-conflict-\d{8}-\d{6}-[A-Z0-9]{7}(\.[^.]+)?$)"));
    // Nextcloud and ownCloud: NAME (conflicted copy DATE TIME).EXT; Dropbox:
    // NAME (WHO's conflicted copy DATE).EXT, maybe with a " (1)" inside the brackets.
    static const QRegularExpression bracketed(
        QStringLiteral(R"(^(.+?) \([^()]*conflicted copy[^()]*(?:\(\d+\))?\)(\.[^.]+)?$)"));
    for (const QRegularExpression* pattern : {&syncthing, &bracketed}) {
        const QRegularExpressionMatch match = pattern->match(fileName);
        if (match.hasMatch()) return match.captured(1) + match.captured(2);
    }
    return {};
}

}  // namespace store
