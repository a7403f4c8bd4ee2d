#include "store/snapshots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/files.h"
#include "store/notestore.h"
#include "store/storekeys.h"

namespace store {

namespace {

const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

// A copy of the contents, whatever the store's file is: a link is followed, and a second name
// for the file would change with it when someone copies an old file over the store in place.
bool copyInto(const QString& from, const QString& to, QString* error) {
    if (QFile::copy(from, to)) return true;
    *error = from + QStringLiteral(": 无法复制到 ") + to;
    return false;
}

}  // namespace

bool snapshotStore(const QString& storeDir, const QString& snapshotsDir, const QDate& today,
                   int keep, QString* error) {
    const QString day = today.toString(kDayFormat);
    QDir snapshots(snapshotsDir);
    const QString settings = settingsFilePath(storeDir);
    // A link that leads out of the store is not the store's: the load set it aside unread.
    const auto isOwn = [&](const QString& path) {
        return QFileInfo(path).isFile() && files::staysWithin(path, storeDir);
    };
    if (snapshots.exists(day) || !isOwn(settings)) return true;

    // A copy cut short by a crash or a full disk stays out of sight and goes next time.
    const QString partial = QStringLiteral(".") + day + QStringLiteral(".partial");
    QDir(snapshots.filePath(partial)).removeRecursively();
    const QString into = snapshots.filePath(partial);
    const QString contentInto = into + u'/' + keys::kContentFolder;
    bool ok = QDir().mkpath(contentInto);
    if (!ok) *error = contentInto + QStringLiteral(": 无法创建文件夹");
    ok = ok && copyInto(settings, into + u'/' + keys::kSettingsFile, error);
    const QDir contents(storeDir + u'/' + keys::kContentFolder);
    for (const QString& name : contents.entryList(QDir::Files)) {
        if (!ok) break;
        if (!isOwn(contents.filePath(name))) continue;  // a dangling link, or one out
        ok = copyInto(contents.filePath(name), contentInto + u'/' + name, error);
    }
    if (ok && !snapshots.rename(partial, day)) {
        *error = snapshots.filePath(day) + QStringLiteral(": 无法改名");
        ok = false;
    }
    if (!ok) {
        QDir(into).removeRecursively();
        return false;
    }

    // The newest days stay; a folder named otherwise is not ours and stays too.
    QStringList days;
    for (const QString& name : snapshots.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QDate::fromString(name, kDayFormat).isValid()) days.append(name);
    }
    for (qsizetype i = 0; i + keep < days.size(); ++i)
        QDir(snapshots.filePath(days[i])).removeRecursively();
    return true;
}

}  // namespace store
