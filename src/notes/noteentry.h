#pragma once
// One note as the program holds it, without windows: its identity in this run, its values and
// its text. A note window shows one and edits it; whoever changes a value changes it here.

#include <QObject>
#include <optional>

#include "model/notechange.h"
#include "model/notestate.h"
#include "text/textsearch.h"

class QTextDocument;

class NoteEntry : public QObject {
    Q_OBJECT
public:
    explicit NoteEntry(NoteId id, QObject* parent = nullptr);

    NoteId id() const { return m_id; }
    // Its values; each setter signals changed() only for a real change.
    NoteState& state() { return m_state; }
    // Its text, with formatting and pictures.
    QTextDocument* document() const { return m_document; }
    // The text as the user reads it (longparagraphs::plainText), kept for searches over every
    // note: made again at the first read after a change, not at every keystroke.
    const textsearch::Text& searchText() const;

private:
    const NoteId m_id;
    NoteState m_state;
    QTextDocument* m_document;
    mutable std::optional<textsearch::Text> m_searchText;  // none since the last change
};
