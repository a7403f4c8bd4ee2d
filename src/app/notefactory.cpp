#include "app/notefactory.h"

#include <QTextCursor>
#include <algorithm>

#include "app/openwindows.h"
#include "desktop/windowops.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "notes/notelist.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"

NoteWindow* NoteFactory::create() {
    m_counter = qint16(m_counter + 1);
    // Deleting a note gives its number back, so a number may still be worn by an open note;
    // numbers must stay distinct to find the current note, so skip those. A number above all
    // given out so far is free: no search while hundreds of notes load.
    auto inUse = [this](int number) {
        for (const NoteWindow* note : m_windows.numberedNotes()) {
            if (note->number() == number) return true;
        }
        return false;
    };
    while (m_counter <= m_highestNumber && inUse(m_counter))
        m_counter = qint16(m_counter + 1);
    m_highestNumber = std::max<int>(m_highestNumber, m_counter);

    auto* note = new NoteWindow(*m_notes.add());
    m_windows.add(note);
    note->setNumber(m_counter);
    const QString created = timetext::creationTime(Clock::instance().now());
    note->setCreated(created);
    note->editor()->replaceText(QStringLiteral("创建：") + created + QStringLiteral("\r\n"));
    note->editor()->moveCursor(QTextCursor::End);  // typing goes on the line after it
    windowops::setTopmost(note, m_switches.notesOnTop());
    return note;
}
