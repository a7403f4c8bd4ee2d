#pragma once
// The text of the note list's rows.

#include <QString>

namespace notelist {

// Three blanks, the running number with leading zeros to three digits, four blanks, then the
// note's creation time text unchanged: "   001    26/12/06 9:5:3".
QString rowText(int number, const QString& created);

// What a row shows after that, to tell the notes apart: the start of the note's text on one
// line, without the creation line a new note starts with. A locked note shows that it is
// locked, never its text.
QString preview(const QString& plainText, bool locked);

}  // namespace notelist
