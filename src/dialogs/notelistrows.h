#pragma once
// Which open forms the note list takes, and the text of its rows.

#include <QString>

namespace notelist {

// A form is a listed note when its Tag is a note number: neither the design Tag of a note
// window ("Jotpin", not yet numbered) nor empty (the dialogs).
bool isNoteTag(const QString& tag);

// Three blanks, the running number with leading zeros to three digits, four blanks, then the
// note's creation time text unchanged: "   001    26/12/06 9:5:3".
QString rowText(int number, const QString& created);

}  // namespace notelist
