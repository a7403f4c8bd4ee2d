#pragma once
// One commit point for a save of many files. A save that renumbers the notes replaces content
// files and the settings file together; a crash between two of those replacements would leave
// one note's text under another note's settings (and lock). So each new file is first written
// beside the one it replaces ("<name>.<machine>.saving"), then a journal naming them all is written
// in one atomic step: that is the commit. Only then are the new files renamed into place, and the
// journal removed. A crash before the commit leaves the old store as it was; after it, the next
// recoverSave() finishes the renames. The store's own format is unchanged.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include "store/diskstate.h"

namespace store {

QString journalPath(const QString& storeDir);

// What a save's journal names: files to put in place, then files to remove.
struct SavePlan {
    QStringList puts;
    QStringList removals;
};

class SaveTransaction {
public:
    explicit SaveTransaction(QString storeDir) : m_storeDir(std::move(storeDir)) {}
    // Removes what was staged and never committed.
    ~SaveTransaction();
    SaveTransaction(const SaveTransaction&) = delete;
    SaveTransaction& operator=(const SaveTransaction&) = delete;

    // Writes the new contents of the file at path beside it (beside the file a link names, when
    // that is in the store).
    // False, with *error, when it could not: nothing of it is left then.
    bool stage(const QString& path, QByteArrayView bytes, QString* error);
    // Stages the file at `from` as the new contents of the one at path, as a second name
    // rather than a copy. False when the system cannot, or `from` is no plain file.
    bool stageLink(const QString& from, const QString& path);
    // The stamp the file at path has once the commit puts the new contents staged for it in
    // place (a rename keeps size, time and inode): what this save wrote, whatever lands after.
    FileStamp stagedStamp(const QString& path) const;
    // Removes the file at path with the commit: it goes if the new files come.
    void removeWithCommit(const QString& path);
    // Commits what was staged and puts it in place. False, with *error, when the journal could
    // not be written (the store stays as it was) or when putting the files in place failed
    // after it (recoverSave() finishes that; committed() tells which).
    bool commit(QString* error);
    bool committed() const { return m_committed; }

private:
    // Where a write to path lands: the file a link names while that stays in the store, else
    // path itself, whose link the save then replaces rather than writes through.
    QString landing(const QString& path) const;

    QString m_storeDir;
    SavePlan m_plan;
    bool m_committed = false;
};

// Where a save of this machine stages the new contents of the file at target.
QString stagedPath(const QString& target);

// Finishes a save whose journal is in storeDir and removes files this machine staged for a save
// that never committed (another machine's are its own; an older Jotpin's, marked with no
// machine, go once they are an hour old). False, with *error, when a committed save cannot be
// finished: the store is then a mix of old and new files and must be neither read nor written. A
// journal that is not this machine's own save of this store, or that names any file but the store's
// own, is never carried out: it is moved to setAsideDir (by default the program's conflicts
// folder) and *notice says so.
bool recoverSave(const QString& storeDir, QString* error, QString* notice = nullptr,
                 const QString& setAsideDir = {});

}  // namespace store
