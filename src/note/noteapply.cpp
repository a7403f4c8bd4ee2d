// What the store hands a note: another machine's values and text, or a note as loaded.
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>

#include "note/notewindow.h"
#include "richtext/richtextbox.h"

bool NoteWindow::apply(const NoteChange& change, QString* problem) {
    if (change.fresh) forgetLastAlarm();
    if (change.values) setNote(*change.values);
    bool read = true;
    // A text is built in steps (cleared, then each part inserted): it is one change.
    m_textArriving = true;
    if (change.text) {
        const int caret = m_editor->textCursor().position();
        const int scrolled = m_editor->verticalScrollBar()->value();
        switch (change.text->kind) {
            case NoteText::Kind::Rtf:
                read = m_editor->loadRtf(change.text->rtf, problem);
                break;
            case NoteText::Kind::Plain:
                m_editor->replaceText(change.text->plain);
                break;
            case NoteText::Kind::None:
                m_editor->replaceText(QString());
                break;
        }
        if (!change.fresh) {
            QTextCursor cursor = m_editor->textCursor();
            cursor.setPosition(std::min(caret, m_editor->document()->characterCount() - 1));
            m_editor->setTextCursor(cursor);
            m_editor->verticalScrollBar()->setValue(scrolled);
        }
    }
    if (!change.heading.isEmpty()) {
        QTextCursor at(m_editor->document());
        at.movePosition(QTextCursor::Start);
        at.insertText(change.heading);
        at.insertBlock();
    }
    m_textArriving = false;
    if (std::exchange(m_textArrived, false)) {
        Q_EMIT contentChanged();
        Q_EMIT changed();
    }
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
    if (change.values && change.values->reminderOn) setReminderChecking(true);
    return read;
}
