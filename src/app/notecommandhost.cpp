#include "app/notecommandhost.h"

#include "app/modelessdialogs.h"
#include "app/notefactory.h"
#include "app/openwindows.h"
#include "app/topmost.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "notebook/storesync.h"

NoteWindow* NoteCommandHost::createNote() {
    return m_notes.create();
}

NoteWindow* NoteCommandHost::currentNote() const {
    return m_windows.currentNote();
}

bool NoteCommandHost::notesOnTop() const {
    return m_switches.notesOnTop();
}

void NoteCommandHost::applyTopmostToAll() {
    ::applyTopmostToAll(m_windows, m_switches.notesOnTop());
}

QList<QPoint> NoteCommandHost::notePlaces(const NoteWindow* except) const {
    QList<QPoint> places;
    for (const NoteWindow* note : m_windows.notes()) {
        if (note != except && note->isVisible())
            places.append({note->note().left, note->note().top});
    }
    return places;
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
