#pragma once
// Selects `length` characters of a note's text from `start`, as a drag of the mouse would; both
// ends kept inside the text.

#include <QTextCursor>
#include <algorithm>

#include "richtext/richtextbox.h"

inline void selectText(RichTextBox& box, int start, int length) {
    const int end = box.document()->characterCount() - 1;
    QTextCursor cursor(box.document());
    cursor.setPosition(std::clamp(start, 0, end));
    cursor.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}
