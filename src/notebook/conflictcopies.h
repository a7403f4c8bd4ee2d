#pragma once
// Texts that only another machine's files hold, kept as notes: the conflict copies sync tools
// leave in the store, and a content file whose settings file did not come. Each such text
// that no note shows comes back as a note of its own, marked as another machine's version.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "model/notechange.h"
#include "store/notestore.h"

class NoteShelf;
struct Switches;

namespace conflictcopies {

// Where the store is and where the copies go once folded in.
struct Places {
    QString store;
    QString kept;  // a folder of its own per day under it
};

// A note made from another machine's version starts by saying so.
QString otherVersionHeading(const QDateTime& when);
// A note's text as compared with another version's: a text read from a file may end in one
// more paragraph mark than the same text shown.
QString comparable(const QString& text);
// A content file's text as it shows: rich text, else plain text (UTF-8, else GBK).
QString plainTextOf(const QByteArray& bytes, bool* isRtf = nullptr);
NoteText noteText(const store::Content& content);

// What folding conflict copies did: copies moved out of the store (to `keptIn`), the notes
// their texts came back as, copies that were links out of the store (moved, never read).
struct Folded {
    QString keptIn;
    int moved = 0;
    QList<NoteId> restored = {};
    int linksOut = 0;
};
// Every text only the copies hold comes back as a note; then the copies leave the store, where
// the sync tool would bring them back to every machine, for a folder of the day; the folders of
// days more than 90 days ago go.
Folded fold(NoteShelf& shelf, const Places& places, const Switches& switches,
            const QStringList& copies);
// Content file `section`, listed by no settings file, whose settings file did not come in
// time: its text, if no note shows it, comes back as a note: that note, 0 for none.
NoteId keepUnlisted(NoteShelf& shelf, const QString& store, int section, qint64 modifiedMs);

}  // namespace conflictcopies
