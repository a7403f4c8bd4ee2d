#pragma once
// The text of the note list's rows, and what a row is searched by.

#include <QString>

#include "text/textsearch.h"

namespace notelist {

// Three blanks, the running number with leading zeros to three digits, four blanks, then the
// note's creation time text unchanged: "   001    26/12/06 9:5:3".
QString rowText(int number, const QString& created);

// What a row shows after that, to tell the notes apart: the start of the note's text on one
// line, without the creation line a new note starts with. A locked note shows that it is
// locked, never its text.
QString preview(const QString& plainText, bool locked);

// A preview with one stretch marked.
struct MarkedPreview {
    QString text;
    qsizetype markStart = 0;
    qsizetype markLength = 0;
};

// The preview around a hit in plainText, the hit marked: from a few characters before it, with
// "…" in front where text before it is left out, on one line. The creation line is left out
// unless the hit lies in it.
MarkedPreview previewAround(const QString& plainText, textsearch::Hit hit);

// What a row is searched by: the note's text, or for a locked note only what its row shows, so
// that a search tells nothing of what a locked note holds.
textsearch::Text searchedText(const textsearch::Text& noteText, bool locked);

}  // namespace notelist
