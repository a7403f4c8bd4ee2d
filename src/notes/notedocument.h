#pragma once
// A note's text with its formatting and pictures, apart from any editor: read from RTF and
// written back, given as plain text, and searched. An editor that shows it holds its layout
// around these edits (RichTextBox); without one nothing is laid out at all.
//
// Positions count characters of the document: a paragraph break and a picture are one character
// each, as QTextCursor counts them.

#include <QTextCursor>
#include <QTextDocument>
#include <optional>

#include "text/textsearch.h"

class NoteDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit NoteDocument(QObject* parent = nullptr);

    // Plain text; paragraph breaks read as CR LF, a picture as a space. Replacing it replaces
    // everything, formatting too: the new text stands in the default format and the undo history
    // is dropped.
    QString text() const;
    void replaceText(const QString& text);
    // Appends plain text at the end, on a line of its own, in the format found there, as one
    // undo step (clipboard capture).
    void appendText(const QString& text);
    // Replaces the content with an RTF document, as no step to undo; on failure the content
    // stays as it was, false is returned and *error says why.
    bool loadRtf(QByteArrayView bytes, QString* error = nullptr);
    QByteArray rtf() const;

    // The text as the user reads it, kept for searches over every note: made again at the first
    // read after a change, not at every keystroke.
    const textsearch::Text& searchText() const;
    // The first match, ignoring letter case, as a selection; a null cursor when there is none.
    // Without start and end it searches `selection`, or the whole text when nothing is selected;
    // with only an end, from the selection's start to that end.
    QTextCursor findMatch(const QString& needle, const QTextCursor& selection,
                          std::optional<int> start = {}, std::optional<int> end = {});

    // Line breaks of any system as paragraph breaks.
    static QString toParagraphs(QString text);

private:
    mutable std::optional<textsearch::Text> m_searchText;  // none since the last change
};
