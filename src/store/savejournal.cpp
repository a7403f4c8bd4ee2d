#include "store/savejournal.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "platform/files.h"
#include "store/storekeys.h"

namespace store {
namespace {

const QByteArray kFirstLine = "Jotpin save journal 1";
const QByteArray kLastLine = "end";
const QString kStagedSuffix = QStringLiteral(".saving");

QString staged(const QString& target) {
    return target + kStagedSuffix;
}

// Inside the store relative to it, so that a store moved with its journal still finishes.
QString journalName(const QDir& store, const QString& target) {
    const QString relative = store.relativeFilePath(target);
    return relative.startsWith(QStringLiteral("../")) ? target : relative;
}

// The targets a journal names, or false when it is none of ours.
bool parseJournal(const QByteArray& bytes, const QDir& store, QStringList* targets) {
    const QList<QByteArray> lines = bytes.split('\n');
    // The text ends in a line break: the last element is empty.
    if (lines.size() < 3 || lines.first() != kFirstLine || !lines.last().isEmpty() ||
        lines[lines.size() - 2] != kLastLine)
        return false;
    for (qsizetype i = 1; i < lines.size() - 2; ++i) {
        const QString name = QString::fromUtf8(lines[i]);
        if (name.isEmpty()) return false;
        targets->append(QDir::cleanPath(store.absoluteFilePath(name)));
    }
    return true;
}

// Renames every staged file over its target; one already renamed is skipped, so that this can
// run again after a crash in the middle.
bool putInPlace(const QStringList& targets, QString* error) {
    files::Steps& steps = files::Steps::instance();
    QSet<QString> folders;
    bool ok = true;
    for (const QString& target : targets) {
        const QString from = staged(target);
        if (!QFileInfo(from).isFile()) continue;
        if (!steps.rename(from, target, error)) ok = false;
        folders.insert(QFileInfo(target).absolutePath());
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
    for (const QString& target : m_targets)
        files::Steps::instance().remove(staged(target));
}

bool SaveTransaction::stage(const QString& path, QByteArrayView bytes, QString* error) {
    const QString target = files::resolveLinks(path);
    // A link to a device or a FIFO would have its target replaced.
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isFile()) {
        if (error) *error = path + QStringLiteral(": 不是普通文件");
        return false;
    }
    if (!files::Steps::instance().writeDurably(staged(target), bytes, error)) return false;
    m_targets.append(QDir::cleanPath(QFileInfo(target).absoluteFilePath()));
    return true;
}

bool SaveTransaction::stageLink(const QString& from, const QString& path) {
    const QFileInfo source(from);
    const QString target = files::resolveLinks(path);
    const QFileInfo existing(target);
    // Through a link, both names would show whatever later replaces its target.
    if (source.isSymLink() || !source.isFile() || (existing.exists() && !existing.isFile()))
        return false;
    if (!files::Steps::instance().link(from, staged(target))) return false;
    m_targets.append(QDir::cleanPath(existing.absoluteFilePath()));
    return true;
}

bool SaveTransaction::commit(QString* error) {
    files::Steps& steps = files::Steps::instance();
    // The staged files' names are on the disk before the journal that names them.
    QSet<QString> folders;
    for (const QString& target : m_targets)
        folders.insert(QFileInfo(target).absolutePath());
    for (const QString& folder : folders)
        steps.syncFolder(folder);
    const QDir store(m_storeDir);
    QByteArray journal = kFirstLine + '\n';
    for (const QString& target : m_targets)
        journal += journalName(store, target).toUtf8() + '\n';
    journal += kLastLine + '\n';
    const QString path = journalPath(m_storeDir);
    if (!steps.replace(path, journal, error)) return false;
    steps.syncFolder(m_storeDir);
    m_committed = true;
    if (!putInPlace(m_targets, error)) return false;
    // Done: from here the store is whole without the journal.
    steps.remove(path);
    steps.syncFolder(m_storeDir);
    return true;
}

bool recoverSave(const QString& storeDir, QString* error) {
    const QDir store(storeDir);
    const QString path = journalPath(storeDir);
    QByteArray bytes;
    QString why;
    switch (files::readRegular(path, qint64(64) * 1024 * 1024, &bytes, &why)) {
        case files::ReadResult::Missing:
            break;
        case files::ReadResult::Failed:
            if (error) *error = why;
            return false;
        case files::ReadResult::Ok: {
            QStringList targets;
            if (!parseJournal(bytes, store, &targets)) {
                if (error) *error = path + QStringLiteral(": 不是 Jotpin 的保存日志");
                return false;
            }
            if (!putInPlace(targets, error)) return false;
            files::Steps::instance().remove(path);
            files::Steps::instance().syncFolder(storeDir);
            break;
        }
    }
    // Left by a save that never committed.
    for (const QString& folder : {storeDir, QString(storeDir + u'/' + keys::kContentFolder)}) {
        const QDir dir(folder);
        for (const QString& name :
             dir.entryList({QStringLiteral("*") + kStagedSuffix}, QDir::Files | QDir::Hidden))
            files::Steps::instance().remove(dir.filePath(name));
    }
    return true;
}

}  // namespace store
