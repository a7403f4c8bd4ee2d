#pragma once
// The text of the note list's rows.

#include <QString>

namespace notelist {

// Three blanks, the running number with leading zeros to three digits, four blanks, then the
// note's creation time text unchanged: "   001    26/12/06 9:5:3".
QString rowText(int number, const QString& created);

}  // namespace notelist
