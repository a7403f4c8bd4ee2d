#include "store/diskstate.h"

#include <QDir>
#include <QRegularExpression>

#include "store/storekeys.h"

namespace store {

DiskState readDiskState(const QString& storeDir) {
    DiskState state;
    state.settings = files::stamp(storeDir + u'/' + keys::kSettingsFile);
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
                state.contents.insert(n, files::stamp(path));
                continue;
            }
        }
        if (!conflictCopyOf(name).isEmpty()) state.conflictCopies.append(path);
    }
    return state;
}

QString conflictCopyOf(const QString& fileName) {
    // Every file of the store comes this way at each start: most are no copy, and those need
    // no pattern (nor the regular-expression library in memory).
    if (!fileName.contains(QStringLiteral(".sync-conflict-")) &&
        !fileName.contains(QStringLiteral("conflicted copy")))
        return {};
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
