#pragma once
// Every note of the program, in the order they were made, each known by its id. It owns them:
// a note taken out goes once the events of the moment are handled, so that a window showing it
// can close first. It tells of every change to its notes, to be saved, except while quiet.

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

    // While one is held, what changes in the notes is not told: it is what the store holds
    // already (a load, another machine's changes merged in).
    class Quiet {
    public:
        explicit Quiet(NoteList& list) : m_list(list) { ++m_list.m_quiet; }
        ~Quiet() { --m_list.m_quiet; }
        Q_DISABLE_COPY_MOVE(Quiet)

    private:
        NoteList& m_list;
    };

Q_SIGNALS:
    // A note's values or text changed; its text or formatting changed (edited() comes too);
    // it was taken out.
    void edited(NoteId id);
    void contentEdited(NoteId id);
    void removed(NoteId id);

private:
    QList<NoteEntry*> m_entries;
    QHash<NoteId, NoteEntry*> m_byId;
    NoteId m_lastId = 0;
    int m_quiet = 0;
};
