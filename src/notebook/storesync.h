#pragma once
// The store kept in step with the notes shown: loaded into them, saved soon after every change
// and at the end, and the store folder watched so that another machine's changes are merged
// (StoreMerger) as they arrive. It says when; what a load or a merge does is the merger's. No
// windows: the notes are a NoteShelf's.

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "notebook/autosave.h"
#include "notebook/notebook.h"
#include "notebook/noteshelf.h"
#include "notebook/storeevent.h"
#include "notebook/storemerger.h"

class ProgramSwitches;
class StoreWatch;

// How long another machine's files are given: the quiet after a change before the store
// is read, the wait for a content file the settings file names but that is not here yet
// (counted for each such file from when it was first missed) and how often it is looked
// for, how often a missing store folder is looked for, and the longest that changes going on
// put off the read.
struct SyncDelays {
    int settleMs = 300;
    int arrivingMs = 10000;
    int recheckMs = 500;
    int storeFolderPollMs = 2000;
    int longestMs = 5000;
};

class StoreSync : public QObject {
    Q_OBJECT
public:
    using Places = StorePlaces;
    StoreSync(NoteShelf& shelf, ProgramSwitches& switches, Places places, SyncDelays delays = {},
              QObject* parent = nullptr);

    // The store folder, until the store is loaded.
    void setStoreDir(const QString& dir);
    // Every stored note onto the shelf, and the stored switches.
    void load();
    // From here on every change is saved soon, not only at the end, and changes another
    // machine makes to the store are taken in as they arrive.
    void saveSoon(AutoSave::Delays delays);
    // The store's files changed: someone else's, or the echo of a save of ours. Merged, and
    // the conflict copies folded in.
    void checkDisk();
    // The end: saving soon stops, and what is unsaved is saved now.
    bool finish(QStringList* errors);

    // Something the store holds changed: save soon. The shelf's notes changed by the user;
    // what the store itself hands the shelf is no change.
    void changed();
    void contentChanged(NoteId note);
    void forget(NoteId note);
    // The content file of a deleted note goes with the next save, which saveNow() starts now,
    // in the background.
    void removeContentFile(int n);
    void saveNow();
    // Writes the numbered notes, renumbered from 1 in their order, and the switches, now.
    bool saveAll(QStringList* errors = nullptr, Notebook::Scope scope = Notebook::Scope::Changed);
    // The number of the content file that holds the note's text, 0 for none.
    int storedNumber(NoteId note) { return m_notebook.storedNumber(note); }
    const QString& storeDir() const { return m_places.store; }

Q_SIGNALS:
    // Something the user should hear of.
    void happened(const StoreEvent& event);

private:
    // Takes in what another machine changed in the store, if anything; true when the notes
    // here are the store's merged with their own changes. Not `patient`: a store still
    // arriving is merged as it stands, else it is looked at again soon.
    bool mergeFromDisk(bool patient = true, QStringList* conflictCopies = nullptr);
    // The store folder is not there (a synced folder not mounted yet): nothing is loaded or
    // saved until it is; then its notes join those made meanwhile.
    void waitForStore();
    // A save ended: what is unsaved now, and when to try again.
    void saveFinished(bool saved);

    NoteShelf& m_shelf;
    ProgramSwitches& m_switches;
    Places m_places;
    SyncDelays m_delays;
    Notebook m_notebook;
    StoreMerger m_merger;
    AutoSave* m_autoSave = nullptr;
    bool m_loading = false;
    bool m_waiting = false;    // for the store folder to appear
    bool m_writeSoon = false;  // loading gave notes an identity: written soon
    bool m_diskChangedDuringSave = false;
    std::optional<AutoSave::Delays> m_saveSoonOnceThere;  // asked for while waiting
    QTimer m_recheck;                                     // the store's files, looked at again
    StoreWatch* m_watch = nullptr;
};
