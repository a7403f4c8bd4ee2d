#include "app/windowshelf.h"

#include <QCoreApplication>

#include "app/notefactory.h"
#include "note/notewindow.h"
#include "notes/notelist.h"

QList<NoteShelf::Shown> WindowShelf::notes() const {
    QList<Shown> shown;
    for (const NoteEntry* note : m_notes.entries())
        shown.append({note->id(), note->values(), note->document()});
    return shown;
}

bool WindowShelf::update(NoteId id, const NoteChange& change, QString* problem) {
    // What the store hands over it holds already.
    const NoteList::Quiet quiet(m_notes);
    NoteEntry* entry = m_notes.find(id);
    if (!entry) return false;
    if (NoteWindow* window = m_windows.windowOf(id)) return window->apply(change, problem);
    // The text goes in before any window shows it, so that it is laid out once. A note that
    // stays out of sight needs no window.
    const bool read = entry->apply(change, problem);
    if (change.values ? change.values->visible : change.fresh)
        m_windows.windowFor(*entry)->showChange(change);
    return read;
}

NoteId WindowShelf::open(const NoteChange& change, QString* problem) {
    // Made as a new note is: a text that cannot be read leaves its first line.
    const NoteList::Quiet quiet(m_notes);
    const NoteId id = m_windows.createEntry()->id();
    update(id, change, problem);
    return id;
}

void WindowShelf::apply(NoteId id, const NoteChange& change) {
    update(id, change, nullptr);
}

void WindowShelf::close(NoteId id) {
    const NoteList::Quiet quiet(m_notes);
    m_windows.close(id);
}

void WindowShelf::settle() {
    // The window system's answers to each shown note are taken as they come: Qt looks through
    // all that wait for each one it handles, so thousands left waiting made the start-up grow
    // with the square of the notes. Input waits until the notes are loaded, and so does a quit
    // signal.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}
