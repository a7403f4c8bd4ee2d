#pragma once
// The store taken into the notes here: read onto the shelf at the start, each later version
// another machine leaves merged with the changes made here, and texts that only a sync tool's
// conflict copies or a lone content file hold brought back as notes. It decides nothing about
// when: StoreSync asks, and hears what came of it.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QStringList>

#include "notebook/notebook.h"
#include "notebook/noteshelf.h"
#include "notebook/storeevent.h"
#include "store/notestore.h"

class ProgramSwitches;

// Where the store is, and where what leaves it goes: the daily snapshots, the conflict copies
// of sync tools.
struct StorePlaces {
    QString store;
    QString snapshots;
    QString conflicts;
    int snapshotDays = 7;
};

class StoreMerger : public QObject {
    Q_OBJECT
public:
    // `places` and `notebook` are the caller's and outlive this; arrivingMs: how long a content
    // file the settings file names, but that is not here yet, is waited for.
    StoreMerger(NoteShelf& shelf, ProgramSwitches& switches, Notebook& notebook,
                const StorePlaces& places, int arrivingMs, QObject* parent = nullptr);

    enum class Loaded {
        Notes,        // every stored note is on the shelf
        Identified,   // so, and some were given the identity they lacked: to be written soon
        FirstStart,   // no store yet: one new note
        Unreadable,   // nothing read, and nothing is to be written over it
        Interrupted,  // asked to end while loading: nothing is to be written over it
    };
    // Every stored note onto the shelf, and the stored switches. The folder is there.
    Loaded load();

    enum class Merged {
        Yes,         // the notes here are the store's merged with their own changes
        Waiting,     // files named in the store are still arriving: ask again soon
        Unreadable,  // the settings file cannot be read now: ask again at the next change
        FolderGone,  // the store folder is not there
    };
    // Takes in what another machine changed in the store, if anything. Not `patient`: a store
    // still arriving is merged as it stands. *conflictCopies: those sync tools left there.
    Merged merge(bool patient, QStringList* conflictCopies = nullptr);
    // Conflict copies that sync tools left: every text only they hold comes back as a note,
    // then the copies leave the store.
    void foldConflictCopies(const QStringList& copies);

    // The notes as the notebook saves them.
    QList<Notebook::Page> pages() const;

Q_SIGNALS:
    // The notes here hold something the store does not: to be saved.
    void unsaved();
    void happened(const StoreEvent& event);

private:
    // A stored note onto the shelf: its values, its text, shown unless stored hidden; a merge's
    // note with an empty text where the file is not here, and perhaps a first line.
    store::Content showStored(const Note& values, int section, QStringList* problems, NoteId* id,
                              bool emptyWhenMissing = false, const QString& heading = {});
    // Carries out a merge: their changes into the notes here, theirs the new base.
    void apply(const merge::Plan& plan, QList<merge::StoredVersion> theirs, store::DiskState disk,
               QStringList* problems);
    // Notes that came from outside the store (a conflict copy, a lone content file): written.
    void keep(const QList<NoteId>& notes);

    NoteShelf& m_shelf;
    ProgramSwitches& m_switches;
    Notebook& m_notebook;
    const StorePlaces& m_places;
    int m_arrivingMs;
    QElapsedTimer m_clock;
    // Files still arriving, by number (a content file missed; its negative: a content file
    // whose settings file is missed): when first missed.
    QHash<int, qint64> m_missedSince;
    bool m_gaveIdentity = false;  // a note shown was given a creation time: to be written
};
