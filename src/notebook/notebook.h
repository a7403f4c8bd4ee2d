#pragma once
// The store in memory: which content file holds each note, what changed since the last save,
// saving (now, or in the background while the user types on), the daily snapshot and the
// streak of failed saves. No widgets: the app says what changed and hands over the notes.

#include <QDate>
#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include "model/note.h"
#include "model/notechange.h"
#include "model/programswitches.h"
#include "notebook/merge.h"
#include "store/diskstate.h"
#include "store/notestore.h"

class QTextDocument;

class Notebook : public QObject {
    Q_OBJECT
public:
    // A note as the app has it: its identity, what the store keeps of it, and its text, which
    // is read only while a save is being prepared.
    struct Page {
        NoteId id;
        Note note;
        const QTextDocument* content;
    };
    enum class Scope { Changed, All };

    // conflictsDir: where what other machines left in the store goes when a save meets it (a
    // journal not of ours); empty for the program's own conflicts folder.
    Notebook(QString storeDir, QString snapshotsDir, int snapshotDays, QString conflictsDir = {},
             QObject* parent = nullptr);
    ~Notebook() override;

    // The store folder, chosen when the store is loaded.
    void setStoreDir(const QString& storeDir) { m_storeDir = storeDir; }
    // Loading. A store that could not be read is never written, nor a file removed from it.
    void refuseWrites(const QString& settingsFile) { m_refused = settingsFile; }
    bool writesRefused() const { return !m_refused.isEmpty(); }
    // This note came from that section of the store.
    void stored(NoteId id, int section) { m_storedAs.insert(id, section); }
    // Loading is over: these notes' files are to be written anew, and whether anything else
    // changed meanwhile. `base` is the store as read, `disk` its files as they were then.
    void loaded(const QSet<NoteId>& toWrite, bool changed, QList<merge::StoredVersion> base = {},
                store::DiskState disk = {});

    // Another machine's changes. Whether the store's files are still those last read or written
    // here (conflict copies aside); a save under way is waited for, its files are ours.
    bool diskUnchanged(store::DiskState* now = nullptr);
    // The notes of the store as read now, with the hashes of their files: those the base knows
    // by their stamps, the others read.
    QList<merge::StoredVersion> versionsOf(const QList<store::StoredNote>& notes,
                                           const store::DiskState& disk) const;
    // What to do with the notes here to take in `theirs`.
    merge::Plan planMerge(const QList<merge::StoredVersion>& theirs, const QList<Page>& pages);
    // The plan was carried out: theirs is the base now. storedAs: where each note shown here
    // stands in theirs; toWrite: notes whose text no file of theirs holds.
    void rebase(QList<merge::StoredVersion> theirs, store::DiskState disk,
                const QHash<NoteId, int>& storedAs, const QSet<NoteId>& toWrite,
                const QList<int>& removals);
    // The settings file is gone from the store (`disk`): every note is written again, and
    // stays matched to the base, which a settings file that comes back is compared with.
    void settingsFileGone(store::DiskState disk, const QSet<NoteId>& all);
    bool saving() const { return m_inFlight.active; }
    // The store's files as last read or written here.
    const store::DiskState& baseDisk() const { return m_baseDisk; }

    // Changes: something the store keeps; a note's text; a note closed.
    void changed() { m_changed = true; }
    // Whether anything changed since the last save began; clears it (for loading's own changes).
    bool takeChanged() { return std::exchange(m_changed, false); }
    void contentChanged(NoteId id) { m_contentChanged.insert(id); }
    void forget(NoteId id);
    // The content file of a deleted note goes with the next save, unless an open note is
    // stored there. False when nothing is to be removed.
    bool removeContentFile(int n);
    // The number of the content file that holds the note's text, 0 for none.
    int storedNumber(NoteId id);
    // Something is not on the disk yet: changed, or in a save still under way.
    bool hasUnsaved() const { return m_changed || m_inFlight.active; }

    // Writes the pages, renumbered from 1 in their order, and the switches: the settings file
    // whole, and the content files that changed since the last save or moved to another
    // number (all of them for Scope::All). Nothing when nothing changed. Waits for a save
    // under way first. What failed stays waiting for the next save.
    bool save(const QList<Page>& pages, const Switches& switches, Scope scope = Scope::Changed,
              QStringList* errors = nullptr);
    // As save(), but the texts are taken here and written on another thread; finished() tells
    // how it went. False when nothing was to be saved or a save is still under way.
    bool saveInBackground(const QList<Page>& pages, const Switches& switches);

Q_SIGNALS:
    // A save ended, well or not.
    void finished(bool saved);
    // A save found that another machine changed the store since it was last read or written
    // here, and wrote nothing: merge, then save again.
    void changedOnDisk();
    // The first failed save of a streak, and the first save that worked after one.
    void failing(const QStringList& problems);
    void worksAgain();
    // A save that worked has something to tell (a journal from elsewhere set aside).
    void notice(const QStringList& what);

private:
    struct Outcome {
        bool saved = false;
        bool committed = false;
        bool changedOnDisk = false;
        QStringList problems;
        QList<merge::StoredVersion> base;  // the store as written, when committed
        store::DiskState disk;
    };
    // What a save under way took with it, given back if it fails.
    struct InFlight {
        bool active = false;
        QList<NoteId> order;  // the pages in the order saved; 0 when closed since
        QSet<NoteId> contentTaken;
        QSet<int> removalsTaken;
    };
    // Prepares a save on this thread; the returned work may run anywhere.
    std::function<Outcome()> prepare(const QList<Page>& pages, const Switches& switches,
                                     Scope scope);
    // How a concluded save is told: at once, or after the call that waited for it.
    enum class Tell { Now, Later };
    void conclude(const Outcome& outcome, Tell tell);
    void deliver(QList<std::function<void()>> told, Tell tell);
    // A save under way is waited for; what it tells comes after the caller's call.
    void waitForSave();

    QString m_storeDir;
    QString m_snapshotsDir;
    QString m_conflictsDir;
    int m_snapshotDays;
    QString m_refused;
    QHash<NoteId, int> m_storedAs;
    QList<merge::StoredVersion> m_base;
    store::DiskState m_baseDisk;
    QSet<NoteId> m_contentChanged;
    QSet<int> m_removals;
    bool m_changed = false;
    bool m_failing = false;
    QDate m_snapshotDay;  // the day of the last snapshot
    InFlight m_inFlight;
    QFutureWatcher<Outcome> m_watcher;
};
