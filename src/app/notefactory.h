#pragma once
// New notes, each in the note list and stamped with its creation time, and the windows that
// show notes: one for a note once it is to be seen, among the open windows. A note that is
// never shown never has one; a note whose window closes goes with it.

#include <QHash>
#include <QList>
#include <QObject>

#include "model/notechange.h"

class NoteEntry;
class NoteList;
class NoteWindow;
class OpenWindows;
class ProgramSwitches;

class NoteFactory : public QObject {
    Q_OBJECT
public:
    NoteFactory(NoteList& notes, OpenWindows& windows, const ProgramSwitches& switches);

    // A new note in the list: made now, its first line saying so.
    NoteEntry* createEntry();
    // A new note in the list, with its window, not shown yet, typing going on the line after
    // the first.
    NoteWindow* create();
    // The window that shows this note, made (not shown) when it has none.
    NoteWindow* windowFor(NoteEntry& entry);
    // The window of this note, or nullptr while it has none (or once it is closed).
    NoteWindow* windowOf(NoteId id) const { return m_windowOf.value(id); }
    // Every note window, in the order they were opened.
    QList<NoteWindow*> windows() const;
    const NoteList& notes() const { return m_notes; }
    // A note goes for good: its window closes, and the note with it.
    void close(NoteId id);

Q_SIGNALS:
    // A window was made for a note, to be wired to the program.
    void made(NoteWindow* window);

private:
    NoteList& m_notes;
    OpenWindows& m_windows;
    const ProgramSwitches& m_switches;
    // Looked up for every note a load or a merge hands on: no walk through all the windows.
    QHash<NoteId, NoteWindow*> m_windowOf;
};
