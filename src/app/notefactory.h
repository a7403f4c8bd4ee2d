#pragma once
// New notes, each in the note list and stamped with its creation time, and the windows that
// show notes: one for a note once it is to be seen, among the open windows, wired to the
// program. A note that is never shown never has one.

#include <QHash>
#include <QList>
#include <functional>

#include "model/notechange.h"

class NoteEntry;
class NoteList;
class NoteWindow;
class OpenWindows;
class ProgramSwitches;

class NoteFactory {
public:
    NoteFactory(NoteList& notes, OpenWindows& windows, const ProgramSwitches& switches,
                std::function<void(NoteWindow*)> wire);

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

private:
    NoteList& m_notes;
    OpenWindows& m_windows;
    const ProgramSwitches& m_switches;
    std::function<void(NoteWindow*)> m_wire;
    // Looked up for every note a load or a merge hands on: no walk through all the windows.
    QHash<NoteId, NoteWindow*> m_windowOf;
};
