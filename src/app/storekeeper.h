#pragma once
// Loading the store into note windows and saving them back, soon after every change and at
// the end. The notebook below keeps which file holds which note and what changed.

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

#include "app/autosave.h"
#include "notebook/notebook.h"
#include "store/notestore.h"

class NoteWindow;
class OpenWindows;
class StoreWatch;
class ProgramSwitches;

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

class StoreKeeper : public QObject {
    Q_OBJECT
public:
    // How loading makes a note window for each stored note, and the first note of a new store.
    struct Notes {
        std::function<NoteWindow*()> create;
        std::function<void()> first;
        std::function<void(NoteWindow*)> close;
    };
    StoreKeeper(const OpenWindows& windows, ProgramSwitches& switches, Notes notes,
                int snapshotDays, SyncDelays delays = {}, QObject* parent = nullptr);

    // Every stored note into a window of its own, and the stored switches.
    void load();
    // From here on every change is saved soon, not only at the end, and changes another
    // machine makes to the store are taken in as they arrive.
    void saveSoon(AutoSave::Delays delays);
    // Takes in what another machine changed in the store, if anything; true when the notes
    // here are the store's merged with their own changes. Not `patient`: a store still
    // arriving is merged as it stands. *conflictCopies: those sync tools left in the store.
    bool mergeFromDisk(bool patient = true, QStringList* conflictCopies = nullptr);
    // The end: saving soon stops, and what is unsaved is saved now.
    bool finish(QStringList* errors);

    // Something the store holds changed: save soon.
    void changed();
    void contentChanged(const NoteWindow* note);
    void forget(const NoteWindow* note);
    // The content file of a deleted note goes with the next save, which saveNow() makes now.
    void removeContentFile(int n);
    void saveNow();
    // Writes the numbered notes, renumbered from 1 in window order, and the switches, now.
    bool saveAll(QStringList* errors = nullptr, Notebook::Scope scope = Notebook::Scope::Changed);
    Notebook& notebook() { return m_notebook; }

Q_SIGNALS:
    // Something the user should hear of.
    void tell(const QString& text);

private:
    // A stored note into a window: its values, its text, shown unless stored hidden.
    store::Content showStored(NoteWindow* note, const Note& values, int section,
                              QStringList* problems);
    // The store folder is not there (a synced folder not mounted yet): nothing is loaded or
    // saved until it is; then its notes join those made meanwhile.
    void waitForStore();
    // The store's files changed: someone else's, or the echo of a save of ours.
    void checkDisk();
    // Carries out a merge: their changes into the windows here, theirs the new base.
    void applyMerge(const merge::Plan& plan, QList<merge::StoredVersion> theirs,
                    store::DiskState disk, QStringList* problems);
    // Conflict copies that sync tools left: every text only they hold comes back as a note,
    // then the copies leave the store.
    void foldConflictCopies(const QStringList& copies);
    // The numbered notes as the notebook saves them.
    QList<Notebook::Page> pages() const;
    // A save ended: what is unsaved now, and when to try again.
    void saveFinished(bool saved);

    const OpenWindows& m_windows;
    ProgramSwitches& m_switches;
    Notes m_notes;
    Notebook m_notebook;
    AutoSave* m_autoSave = nullptr;
    bool m_loading = false;
    bool m_waiting = false;       // for the store folder to appear
    bool m_applying = false;      // another machine's changes: what they change is no change here
    bool m_gaveIdentity = false;  // a note shown was given a creation time: to be written
    bool m_identityToWrite = false;  // so did loading: written soon, not only at a change
    SyncDelays m_delays;
    QElapsedTimer m_clock;
    QHash<int, qint64> m_missedSince;  // content files still arriving, by number: when first missed
    QTimer m_recheck;                  // the store's files, looked at again
    bool m_diskChangedDuringSave = false;
    std::optional<AutoSave::Delays> m_saveSoonOnceThere;  // asked for while waiting
    StoreWatch* m_watch = nullptr;
};
