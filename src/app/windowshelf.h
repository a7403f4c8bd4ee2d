#pragma once
// The notes as the store sees them: the note list, each note known by its identity; a note is
// given a window when it is to be seen, and closed as the store asks.

#include <functional>

#include "notebook/noteshelf.h"

class NoteFactory;
class NoteList;

class WindowShelf final : public NoteShelf {
public:
    // The first note of a new store, and how a note closes.
    struct Notes {
        std::function<void()> first;
        std::function<void(NoteId)> close;
    };
    WindowShelf(NoteList& notes, NoteFactory& windows, Notes calls)
        : m_notes(notes), m_windows(windows), m_calls(std::move(calls)) {}

    QList<Shown> notes() const override;
    NoteId open(const NoteChange& change, QString* problem) override;
    void apply(NoteId id, const NoteChange& change) override;
    void close(NoteId id) override { m_calls.close(id); }
    void first() override { m_calls.first(); }
    void settle() override;

private:
    bool update(NoteId id, const NoteChange& change, QString* problem);

    NoteList& m_notes;
    NoteFactory& m_windows;
    Notes m_calls;
};
