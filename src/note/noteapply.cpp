// What the store hands a note: another machine's values and text, or a note as loaded.
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>

#include "note/notewindow.h"
#include "richtext/richtextbox.h"

bool NoteWindow::apply(const NoteChange& change, QString* problem) {
    const int caret = m_editor->textCursor().position();
    const int scrolled = m_editor->verticalScrollBar()->value();
    bool read = true;
    m_editor->editHoldingLayout([&] {
        read = m_entry.apply(change, problem);
        return change.text && read;
    });
    if (change.text && !change.fresh) {
        QTextCursor cursor = m_editor->textCursor();
        cursor.setPosition(std::min(caret, m_editor->document()->characterCount() - 1));
        m_editor->setTextCursor(cursor);
        m_editor->verticalScrollBar()->setValue(scrolled);
    }
    showChange(change);
    return read;
}

void NoteWindow::showChange(const NoteChange& change) {
    // With gaps between the sections, the next save numbers the notes afresh and gives each
    // content file its new number.
    if (change.fresh) layOut();
    const bool visible = change.values ? change.values->visible : true;
    if (change.fresh) {
        // A note stored as hidden is never put on screen, not even for a moment; a shown one
        // does not take the focus, which may be in another program or in a note shown before.
        if (visible) {
            setAttribute(Qt::WA_ShowWithoutActivating);
            show();
            setAttribute(Qt::WA_ShowWithoutActivating, false);
        }
    } else if (change.values && !isActiveWindow()) {
        setVisible(visible);  // the note being typed in stays where it is
    }
}
