#pragma once
// The notes as the store sees them: the note list, each note known by its identity; a note is
// given a window when it is to be seen, and closed as the store asks. What the store hands over
// it holds already: the list does not tell it back as a change.

#include <QObject>

#include "notebook/noteshelf.h"

class NoteFactory;
class NoteList;

class WindowShelf final : public QObject, public NoteShelf {
    Q_OBJECT
public:
    WindowShelf(NoteList& notes, NoteFactory& windows) : m_notes(notes), m_windows(windows) {}

    QList<Shown> notes() const override;
    NoteId open(const NoteChange& change, QString* problem) override;
    void apply(NoteId id, const NoteChange& change) override;
    void close(NoteId id) override;
    void first() override { Q_EMIT firstWanted(); }
    void settle() override;

Q_SIGNALS:
    // The first note of a new store, made as a new note is.
    void firstWanted();

private:
    bool update(NoteId id, const NoteChange& change, QString* problem);

    NoteList& m_notes;
    NoteFactory& m_windows;
};
