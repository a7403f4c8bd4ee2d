#include "app/windowshelf.h"

#include <QCoreApplication>

#include "app/openwindows.h"
#include "note/notewindow.h"
#include "richtext/richtextbox.h"

QList<NoteShelf::Shown> WindowShelf::notes() const {
    QList<Shown> shown;
    for (const NoteWindow* note : m_windows.notes())
        shown.append({note->id(), note->note(), note->editor()->document()});
    return shown;
}

NoteWindow* WindowShelf::window(NoteId id) const {
    for (NoteWindow* note : m_windows.notes()) {
        if (note->id() == id) return note;
    }
    return nullptr;
}

NoteId WindowShelf::open(const NoteChange& change, QString* problem) {
    NoteWindow* note = m_notes.create();
    note->apply(change, problem);
    return note->id();
}

void WindowShelf::apply(NoteId id, const NoteChange& change) {
    if (NoteWindow* note = window(id)) note->apply(change);
}

void WindowShelf::close(NoteId id) {
    if (NoteWindow* note = window(id)) m_notes.close(note);
}

void WindowShelf::settle() {
    // The window system's answers to each shown note are taken as they come: Qt looks through
    // all that wait for each one it handles, so thousands left waiting made the start-up grow
    // with the square of the notes. Input waits until the notes are loaded, and so does a quit
    // signal.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}
