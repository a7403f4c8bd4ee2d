#pragma once
// Merging the store as another machine left it into the notes shown here. Three versions of
// the notes: the store as this program last read or wrote it (the base), the store on the disk
// now (theirs), and the notes as they are here (ours). Each side's changes are taken where the
// other did not change a note; where both changed a note's text, both versions are kept.
// Notes are known across machines and renumbering by their identity (Note::uid), which every
// save keeps; a note whose section lost it (renumbered by the Windows program) by its creation
// time, and where several share one, by their content file, then their number.

#include <QHash>
#include <QList>
#include <QSet>
#include <optional>

#include "model/notechange.h"
#include "platform/files.h"

namespace merge {

// A note of a stored version: its section, its values as the settings file gives them back,
// and its content file's hash (0 for none).
struct StoredVersion {
    int section = 0;
    Note note;
    size_t contentHash = 0;
};

// A note shown here: the base note it was loaded as or saved to (-1 for a note new here), its
// values (as stored) where they changed since, and whether its text changed since.
struct OurNote {
    NoteId id = 0;
    int base = -1;  // index into the base
    std::optional<Note> values;
    bool textChanged = false;
};

struct Plan {
    // A note shown here that another machine changed. `section` is where theirs holds it now.
    struct Update {
        NoteId id = 0;
        int section = 0;
        // The values to show: theirs where only they changed a field, ours elsewhere.
        std::optional<Note> note;
        bool takeText = false;  // their text, to take
    };
    // A note to show that only theirs has: made there, or made here in another version
    // (`otherVersionOf`, the note shown here that keeps ours), or deleted here but changed there.
    struct Add {
        int section = 0;
        Note note;
        NoteId otherVersionOf = 0;  // 0: none
        size_t contentHash = 0;     // of their text, for another version
    };
    QList<Update> updates;
    QList<Add> added;
    // Deleted there and not changed here: closed here.
    QList<NoteId> closed;
    // Changed here, deleted there: written again by the next save.
    QList<NoteId> orphaned;
    // Theirs sections of notes deleted here and left deleted: the next save removes their files.
    QList<int> removals;
};

// Whether two notes hold the same values, whatever their identities.
bool sameValues(Note a, const Note& b);

// A note's values with both sides' changes: field by field (place, size, colour, opacity,
// reminder, sound, lock, visibility), theirs where only they changed it, ours elsewhere.
Note mergeValues(const Note& base, const Note& theirs, const Note& ours);

Plan plan(const QList<StoredVersion>& base, const QList<StoredVersion>& theirs,
          const QList<OurNote>& ours);

// Another machine's files still to come: a content file the settings file names that is not
// here (by its number), and a content file no settings file lists that is new since the base
// (by its number's negative). Each is given arrivingMs from when it was first missed (in
// missedBefore): one that came late must not cut short the wait for the next.
struct Arrivals {
    QHash<int, qint64> missedSince;
    QList<int> unlisted;   // the content files listed by no settings file
    bool waiting = false;  // one is still within its time
};
Arrivals arrivals(const QSet<int>& listed, const QHash<int, files::Stamp>& contents,
                  const QHash<int, files::Stamp>& baseContents,
                  const QHash<int, qint64>& missedBefore, qint64 now, int arrivingMs);

}  // namespace merge
