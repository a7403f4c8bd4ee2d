#include "store/savejournal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "store/storekeys.h"

namespace store {
namespace {

const QByteArray kFirstLine = "Jotpin save journal 2";
const QByteArray kMachinePrefix = "machine ";
const QByteArray kLastLine = "end";
const QString kStagedSuffix = QStringLiteral(".saving");

// Which machine wrote a journal: a synced store carries other machines' journals, and only a
// save of this machine's own may be finished here.
QByteArray machineLine() {
    static const QByteArray line = []() -> QByteArray {
        QByteArray id = QSysInfo::machineUniqueId().toHex();
        if (id.isEmpty()) id = QSysInfo::machineHostName().toUtf8().toHex();
        return kMachinePrefix + id;
    }();
    return line;
}

// The store's own files, by their names in it: the settings file and the notes' texts.
bool isStoreFileName(const QString& relative, bool contentOnly) {
    static const QRegularExpression content(QStringLiteral("^tie/tie[1-9][0-9]*\\.tie$"));
    return content.match(relative).hasMatch() || (!contentOnly && relative == keys::kSettingsFile);
}

// What ends the name of a file this machine stages: a synced store also carries other
// machines' staged files in the middle of their saves, which are theirs to put in place or
// remove.
const QString& stagedEnding() {
    static const QString ending =
        u'.' +
        QString::fromLatin1(QCryptographicHash::hash(machineLine(), QCryptographicHash::Blake2b_256)
                                .left(4)
                                .toHex()) +
        kStagedSuffix;
    return ending;
}

QString staged(const QString& target) {
    return target + stagedEnding();
}

// A staged file of an older Jotpin's save, which marked none with its machine, is left alone
// this long: no save takes that long.
constexpr qint64 kUnmarkedStagedMs = qint64(60) * 60 * 1000;

// Inside the store relative to it, so that a store moved with its journal still finishes.
QString journalName(const QDir& store, const QString& target) {
    const QString relative = store.relativeFilePath(target);
    return relative.startsWith(QStringLiteral("../")) ? target : relative;
}

QByteArray journalText(const QDir& store, const SavePlan& plan) {
    QByteArray text = kFirstLine + '\n' + machineLine() + '\n';
    for (const QString& target : plan.puts)
        text += '+' + journalName(store, target).toUtf8() + '\n';
    for (const QString& target : plan.removals)
        text += '-' + journalName(store, target).toUtf8() + '\n';
    return text + kLastLine + '\n';
}

// A file a journal may put in place: one of the store's own, or the file one of them links to
// inside the store.
bool isStoreTarget(const QDir& store, const QString& path) {
    const QString relative = store.relativeFilePath(path);
    if (isStoreFileName(relative, false)) return true;
    if (!files::staysWithin(path, store.path())) return false;
    const QString settings = store.filePath(keys::kSettingsFile);
    if (QFileInfo(settings).isSymLink() && files::resolveLinks(settings) == path) return true;
    const QDir content(store.filePath(keys::kContentFolder));
    for (const QFileInfo& file : content.entryInfoList(QDir::Files | QDir::System)) {
        if (file.isSymLink() && isStoreFileName(store.relativeFilePath(file.filePath()), true) &&
            files::resolveLinks(file.filePath()) == path)
            return true;
    }
    return false;
}

// The plan a journal holds, or false when it is none of this machine's saves of this store: a
// journal is input like every file in a synced folder, and is never carried out wherever it
// points.
bool parseJournal(const QByteArray& bytes, const QDir& store, SavePlan* plan) {
    const QList<QByteArray> lines = bytes.split('\n');
    // The text ends in a line break: the last element is empty.
    if (lines.size() < 4 || lines[0] != kFirstLine || lines[1] != machineLine() ||
        !lines.last().isEmpty() || lines[lines.size() - 2] != kLastLine)
        return false;
    for (qsizetype i = 2; i < lines.size() - 2; ++i) {
        const QString name = QString::fromUtf8(lines[i].mid(1));
        if (name.isEmpty()) return false;
        const QString path = QDir::cleanPath(store.absoluteFilePath(name));
        if (lines[i].startsWith('+') && isStoreTarget(store, path))
            plan->puts.append(path);
        else if (lines[i].startsWith('-') && isStoreFileName(store.relativeFilePath(path), true))
            plan->removals.append(path);
        else
            return false;
    }
    return true;
}

// Moves a journal that is not ours out of the store, to a folder of the day under `kept`, where
// what sync tools left goes.
QString setAside(const QString& path, const QString& kept) {
    const QString folder = kept + u'/' + Clock::instance().now().date().toString(Qt::ISODate);
    QDir().mkpath(folder);
    QString target = folder + QStringLiteral("/tie.journal");
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = folder + QStringLiteral("/tie.journal.%1").arg(n);
    return files::moveEntry(path, target) ? target : QString();
}

// Renames every staged file over its target and removes the files to go. A file already
// renamed or removed is skipped, so that this can run again after a crash in the middle.
bool carryOut(const SavePlan& plan, QString* error) {
    files::Steps& steps = files::Steps::instance();
    QSet<QString> folders;
    bool ok = true;
    for (const QString& target : plan.puts) {
        const QString from = staged(target);
        // A save stages plain files; a link there was planted, and stays where it is.
        if (!QFileInfo(from).isFile() || QFileInfo(from).isSymLink()) continue;
        if (!steps.rename(from, target, error)) ok = false;
        folders.insert(QFileInfo(target).absolutePath());
    }
    for (const QString& target : plan.removals) {
        const QFileInfo file(target);
        if (!file.exists() && !file.isSymLink()) continue;
        if (!steps.remove(target)) {
            if (error) *error = target + QStringLiteral(": 无法删除");
            ok = false;
        }
        folders.insert(file.absolutePath());
    }
    for (const QString& folder : folders)
        steps.syncFolder(folder);
    return ok;
}

}  // namespace

QString journalPath(const QString& storeDir) {
    return storeDir + QStringLiteral("/tie.journal");
}

SaveTransaction::~SaveTransaction() {
    if (m_committed) return;
    for (const QString& target : m_plan.puts)
        files::Steps::instance().remove(staged(target));
}

QString SaveTransaction::landing(const QString& path) const {
    return files::staysWithin(path, m_storeDir) ? files::resolveLinks(path) : path;
}

bool SaveTransaction::stage(const QString& path, QByteArrayView bytes, QString* error) {
    const QString target = landing(path);
    // A link to a device or a FIFO would have its target replaced.
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isFile()) {
        if (error) *error = path + QStringLiteral(": 不是普通文件");
        return false;
    }
    if (!files::Steps::instance().writeDurably(staged(target), bytes, error)) return false;
    m_plan.puts.append(QDir::cleanPath(QFileInfo(target).absoluteFilePath()));
    return true;
}

bool SaveTransaction::stageLink(const QString& from, const QString& path) {
    const QFileInfo source(from);
    const QString target = landing(path);
    const QFileInfo existing(target);
    // Through a link, both names would show whatever later replaces its target.
    if (source.isSymLink() || !source.isFile() || (existing.exists() && !existing.isFile()))
        return false;
    if (!files::Steps::instance().link(from, staged(target))) return false;
    m_plan.puts.append(QDir::cleanPath(existing.absoluteFilePath()));
    return true;
}

FileStamp SaveTransaction::stagedStamp(const QString& path) const {
    return files::stamp(staged(landing(path)));
}

void SaveTransaction::removeWithCommit(const QString& path) {
    m_plan.removals.append(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

bool SaveTransaction::commit(QString* error) {
    files::Steps& steps = files::Steps::instance();
    // The staged files' names are on the disk before the journal that names them.
    QSet<QString> folders;
    for (const QString& target : m_plan.puts)
        folders.insert(QFileInfo(target).absolutePath());
    for (const QString& folder : folders)
        steps.syncFolder(folder);
    const QString path = journalPath(m_storeDir);
    // Written in its own place: a link planted under its name goes, and is not written through.
    if (QFileInfo(path).isSymLink()) steps.remove(path);
    if (!steps.replace(path, journalText(QDir(m_storeDir), m_plan), error)) return false;
    steps.syncFolder(m_storeDir);
    m_committed = true;
    if (!carryOut(m_plan, error)) return false;
    // Done: from here the store is whole without the journal.
    steps.remove(path);
    steps.syncFolder(m_storeDir);
    return true;
}

QString stagedPath(const QString& target) {
    return staged(target);
}

bool recoverSave(const QString& storeDir, QString* error, QString* notice,
                 const QString& setAsideDir) {
    const QDir store(storeDir);
    const QString path = journalPath(storeDir);
    // A journal that is none of ours goes out of the store, and is never carried out.
    const auto setAsideSaying = [&](const QString& why) {
        const QString kept =
            setAside(path, setAsideDir.isEmpty() ? paths::conflictsDir() : setAsideDir);
        if (kept.isEmpty()) {
            if (error) *error = path + why + QStringLiteral("，也无法移开");
            return false;
        }
        if (notice)
            *notice = path + why + QStringLiteral("，没有照它做，已移到 ") +
                      QDir::toNativeSeparators(kept);
        return true;
    };
    QByteArray bytes;
    QString why;
    // A save writes its journal as a file of its own: a link under that name was planted.
    if (QFileInfo(path).isSymLink()) {
        if (!setAsideSaying(QStringLiteral(" 是一个链接，不是 Jotpin 的保存日志"))) return false;
    } else {
        switch (files::readRegular(path, qint64(64) * 1024 * 1024, &bytes, &why)) {
            case files::ReadResult::Missing:
                break;
            case files::ReadResult::Failed:
                if (error) *error = why;
                return false;
            case files::ReadResult::Ok: {
                SavePlan plan;
                if (!parseJournal(bytes, store, &plan)) {
                    if (!setAsideSaying(QStringLiteral(" 不是这台电脑保存时写的"))) return false;
                    break;
                }
                if (!carryOut(plan, error)) return false;
                files::Steps::instance().remove(path);
                files::Steps::instance().syncFolder(storeDir);
                break;
            }
        }
    }
    // Left by a save of this machine's that never committed; one of an older Jotpin's, marked
    // with no machine, once it is old.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString& folder : {storeDir, QString(storeDir + u'/' + keys::kContentFolder)}) {
        const QDir dir(folder);
        for (const QString& name :
             dir.entryList({QStringLiteral("*") + kStagedSuffix}, QDir::Files | QDir::Hidden)) {
            const QString file = dir.filePath(name);
            const QString target = store.relativeFilePath(file).chopped(kStagedSuffix.size());
            const bool ours = name.endsWith(stagedEnding());
            const bool unmarked = isStoreFileName(target, false);
            const QDateTime changed =
                QFileInfo(file).fileTime(QFileDevice::FileModificationTime).toUTC();
            if (ours || (unmarked && changed.msecsTo(now) > kUnmarkedStagedMs))
                files::Steps::instance().remove(file);
        }
    }
    return true;
}

}  // namespace store
