#pragma once
// Every note of the program, in the order they were made, each known by its id. It owns them:
// a note taken out goes once the events of the moment are handled, so that a window showing it
// can close first.

#include <QHash>
#include <QList>
#include <QObject>

#include "notes/noteentry.h"

class NoteList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // A new note with an id never given before, after the others.
    NoteEntry* add();
    void remove(NoteId id);
    const QList<NoteEntry*>& entries() const { return m_entries; }
    // The note of this id, nullptr when there is none (any more).
    NoteEntry* find(NoteId id) const { return m_byId.value(id); }

Q_SIGNALS:
    void added(NoteEntry* entry);

private:
    QList<NoteEntry*> m_entries;
    QHash<NoteId, NoteEntry*> m_byId;
    NoteId m_lastId = 0;
};
