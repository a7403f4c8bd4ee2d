#include "app/notefactory.h"

#include <QTextCursor>

#include "app/openwindows.h"
#include "desktop/windowops.h"
#include "model/noteuid.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "notes/notelist.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"

NoteFactory::NoteFactory(NoteList& notes, OpenWindows& windows, const ProgramSwitches& switches)
    : m_notes(notes), m_windows(windows), m_switches(switches) {
    connect(&m_windows, &OpenWindows::closed, this, [this](QWidget* window) {
        const auto* note = qobject_cast<NoteWindow*>(window);
        if (!note) return;
        m_windowOf.remove(note->id());
        // After the window, which is deleted first.
        m_notes.remove(note->id());
    });
}

void NoteFactory::close(NoteId id) {
    if (NoteWindow* window = windowOf(id))
        m_windows.close(window);
    else
        m_notes.remove(id);
}

NoteEntry* NoteFactory::createEntry() {
    NoteEntry* entry = m_notes.add();
    const QString created = timetext::creationTime(Clock::instance().now());
    entry->state().setIdentity(created, noteuid::random());
    entry->document()->replaceText(QStringLiteral("创建：") + created + QStringLiteral("\r\n"));
    return entry;
}

NoteWindow* NoteFactory::create() {
    NoteWindow* note = windowFor(*createEntry());
    note->editor()->moveCursor(QTextCursor::End);  // typing goes on the line after it
    return note;
}

NoteWindow* NoteFactory::windowFor(NoteEntry& entry) {
    if (NoteWindow* shown = windowOf(entry.id())) return shown;
    auto* note = new NoteWindow(entry);
    m_windows.add(note);
    m_windowOf.insert(entry.id(), note);
    windowops::setTopmost(note, m_switches.notesOnTop());
    Q_EMIT made(note);
    return note;
}

QList<NoteWindow*> NoteFactory::windows() const {
    return m_windows.notes();
}
