#pragma once
// The store kept in step with the notes shown: loaded into them, saved soon after every change
// and at the end, and another machine's changes taken in as they arrive (the store folder
// watched, the versions merged, the conflict copies of sync tools folded in). No windows: the
// notes are a NoteShelf's, and each gets what changed in one call.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "notebook/autosave.h"
#include "notebook/notebook.h"
#include "notebook/noteshelf.h"
#include "notebook/storeevent.h"
#include "store/notestore.h"

class ProgramSwitches;
class StoreWatch;

// How long another machine's files are given: the quiet after a change before the store
// is read, the wait for a content file the settings file names but that is not here yet
// (counted for each such file from when it was first missed) and how often it is looked
// for, and how often a missing store folder is looked for.
struct SyncDelays {
    int settleMs = 300;
    int arrivingMs = 10000;
    int recheckMs = 500;
    int storeFolderPollMs = 2000;
};

class StoreSync : public QObject {
    Q_OBJECT
public:
    // Where the store is, and where what leaves it goes: the daily snapshots, the conflict
    // copies of sync tools.
    struct Places {
        QString store;
        QString snapshots;
        QString conflicts;
        int snapshotDays = 7;
    };
    StoreSync(NoteShelf& shelf, ProgramSwitches& switches, Places places, SyncDelays delays = {},
              QObject* parent = nullptr);

    // The store folder, until the store is loaded.
    void setStoreDir(const QString& dir);
    // Every stored note onto the shelf, and the stored switches.
    void load();
    // From here on every change is saved soon, not only at the end, and changes another
    // machine makes to the store are taken in as they arrive.
    void saveSoon(AutoSave::Delays delays);
    // Takes in what another machine changed in the store, if anything; true when the notes
    // here are the store's merged with their own changes. Not `patient`: a store still
    // arriving is merged as it stands. *conflictCopies: those sync tools left in the store.
    bool mergeFromDisk(bool patient = true, QStringList* conflictCopies = nullptr);
    // The store's files changed: someone else's, or the echo of a save of ours. Merged, and
    // the conflict copies folded in.
    void checkDisk();
    // The end: saving soon stops, and what is unsaved is saved now.
    bool finish(QStringList* errors);

    // Something the store holds changed: save soon.
    void changed();
    void contentChanged(NoteId note);
    void forget(NoteId note);
    // The content file of a deleted note goes with the next save, which saveNow() makes now.
    void removeContentFile(int n);
    void saveNow();
    // Writes the numbered notes, renumbered from 1 in their order, and the switches, now.
    bool saveAll(QStringList* errors = nullptr, Notebook::Scope scope = Notebook::Scope::Changed);
    // The number of the content file that holds the note's text, 0 for none.
    int storedNumber(NoteId note) { return m_notebook.storedNumber(note); }
    const QString& storeDir() const { return m_places.store; }
    Notebook& notebook() { return m_notebook; }

Q_SIGNALS:
    // Something the user should hear of.
    void happened(const StoreEvent& event);

private:
    // A stored note onto the shelf: its values, its text, shown unless stored hidden; a merge's
    // note with an empty text where the file is not here, and perhaps a first line.
    store::Content showStored(const Note& values, int section, QStringList* problems, NoteId* id,
                              bool emptyWhenMissing = false, const QString& heading = {});
    // The store folder is not there (a synced folder not mounted yet): nothing is loaded or
    // saved until it is; then its notes join those made meanwhile.
    void waitForStore();
    // Carries out a merge: their changes into the notes here, theirs the new base.
    void applyMerge(const merge::Plan& plan, QList<merge::StoredVersion> theirs,
                    store::DiskState disk, QStringList* problems);
    // Conflict copies that sync tools left: every text only they hold comes back as a note,
    // then the copies leave the store.
    void foldConflictCopies(const QStringList& copies);
    // The numbered notes as the notebook saves them.
    QList<Notebook::Page> pages() const;
    // A save ended: what is unsaved now, and when to try again.
    void saveFinished(bool saved);
    void say(const StoreEvent& event);

    NoteShelf& m_shelf;
    ProgramSwitches& m_switches;
    Places m_places;
    Notebook m_notebook;
    AutoSave* m_autoSave = nullptr;
    bool m_loading = false;
    bool m_waiting = false;       // for the store folder to appear
    bool m_applying = false;      // another machine's changes: what they change is no change here
    bool m_gaveIdentity = false;  // a note shown was given a creation time: to be written
    bool m_identityToWrite = false;  // so did loading: written soon, not only at a change
    SyncDelays m_delays;
    QElapsedTimer m_clock;
    // Files still arriving, by number (a content file missed; its negative: a content file
    // whose settings file is missed): when first missed.
    QHash<int, qint64> m_missedSince;
    QTimer m_recheck;  // the store's files, looked at again
    bool m_diskChangedDuringSave = false;
    std::optional<AutoSave::Delays> m_saveSoonOnceThere;  // asked for while waiting
    StoreWatch* m_watch = nullptr;
};
