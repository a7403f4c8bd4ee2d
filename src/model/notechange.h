#pragma once
// What the store asks of a note shown: new values, a text to show, a first line to put before
// it. A note window takes one of these in one call; so does a test's note.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "model/note.h"

// A note's identity in this run of the program: never given twice, unlike a window's address.
// Across machines a note is known by its creation time.
using NoteId = quint64;

// A note's text as a file holds it: rich text, plain text, or nothing (not here yet).
struct NoteText {
    enum class Kind { None, Rtf, Plain };
    Kind kind = Kind::None;
    QByteArray rtf;
    QString plain;
};

struct NoteChange {
    std::optional<Note> values;
    std::optional<NoteText> text;  // the caret and the scrolling stay where they were
    QString heading;               // a paragraph put before the text
    // A note made by loading or merging: shown when its values say so, without taking the focus.
    bool fresh = false;
};
