#include "app/notefactory.h"

#include <QTextCursor>

#include "app/openwindows.h"
#include "desktop/windowops.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "notes/notelist.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"

NoteWindow* NoteFactory::create() {
    auto* note = new NoteWindow(*m_notes.add());
    m_windows.add(note);
    const QString created = timetext::creationTime(Clock::instance().now());
    note->setCreated(created);
    note->editor()->replaceText(QStringLiteral("创建：") + created + QStringLiteral("\r\n"));
    note->editor()->moveCursor(QTextCursor::End);  // typing goes on the line after it
    windowops::setTopmost(note, m_switches.notesOnTop());
    return note;
}
