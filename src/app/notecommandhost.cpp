#include "app/notecommandhost.h"

#include "app/modelessdialogs.h"
#include "app/notefactory.h"
#include "app/openwindows.h"
#include "app/topmost.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "notebook/storesync.h"
#include "notes/notelist.h"

NoteWindow* NoteCommandHost::createNote() {
    return m_notes.create();
}

NoteWindow* NoteCommandHost::currentNote() const {
    return m_windows.currentNote();
}

const NoteList& NoteCommandHost::notes() const {
    return m_notes.notes();
}

void NoteCommandHost::applyTopmostToAll() {
    ::applyTopmostToAll(m_windows, m_switches.notesOnTop());
}

void NoteCommandHost::closeNote(NoteWindow* note) {
    m_windows.close(note);
}

int NoteCommandHost::storedNumber(const NoteWindow* note) {
    return m_store.storedNumber(note->id());
}

void NoteCommandHost::removeContentFile(int n) {
    m_store.removeContentFile(n);
}

void NoteCommandHost::saveNow() {
    m_store.saveNow();
}

void NoteCommandHost::showSettings() {
    m_dialogs.showSettings();
}

void NoteCommandHost::showIconPicker() {
    m_dialogs.showIconPicker();
}

void NoteCommandHost::popUpTrayMenu(QPoint at) {
    if (m_trayMenu) m_trayMenu(at);
}
