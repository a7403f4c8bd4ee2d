#include "app/notecommandhost.h"

#include "app/traycontroller.h"
#include "note/notewindow.h"

NoteWindow* NoteCommandHost::createNote() {
    return m_app.createNote();
}

NoteWindow* NoteCommandHost::currentNote() const {
    return m_app.currentNote();
}

bool NoteCommandHost::notesOnTop() const {
    return m_app.switches().notesOnTop();
}

void NoteCommandHost::applyTopmostToAll() {
    m_app.applyTopmostToAll();
}

QList<QPoint> NoteCommandHost::notePlaces(const NoteWindow* except) const {
    QList<QPoint> places;
    for (const NoteWindow* note : m_app.windows().numberedNotes()) {
        if (note != except && note->isVisible())
            places.append({note->note().left, note->note().top});
    }
    return places;
}

void NoteCommandHost::closeNote(NoteWindow* note) {
    m_app.windows().close(note);
}

int NoteCommandHost::storedNumber(const NoteWindow* note) {
    return m_app.notebook().storedNumber(note);
}

void NoteCommandHost::removeContentFile(int n) {
    m_app.removeContentFile(n);
}

void NoteCommandHost::saveNow() {
    m_app.saveNow();
}

void NoteCommandHost::giveBackNoteNumber() {
    m_app.setNoteCounter(qint16(m_app.noteCounter() - 1));
}

void NoteCommandHost::showSettings() {
    m_app.showSettings();
}

void NoteCommandHost::showIconPicker() {
    m_app.showIconPicker();
}
