#pragma once
// The notes the store is kept in step with, as the store sees them: the app's note windows, or
// a test's plain values. The store hands each note what changed in one call.

#include <QList>

#include "model/notechange.h"

class QTextDocument;

class NoteShelf {
public:
    struct Shown {
        NoteId id = 0;
        Note note;
        const QTextDocument* text = nullptr;
    };
    virtual ~NoteShelf() = default;
    // The numbered notes, in their order.
    virtual QList<Shown> notes() const = 0;
    // A new note showing the change, after the others; *problem: why its text could not be
    // shown, if it could not.
    virtual NoteId open(const NoteChange& change, QString* problem) = 0;
    virtual void apply(NoteId id, const NoteChange& change) = 0;
    virtual void close(NoteId id) = 0;
    // The first note of a new store.
    virtual void first() = 0;
    // Between the notes of a load: what the window system has to say about those shown.
    virtual void settle() {}
};
