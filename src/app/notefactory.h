#pragma once
// New notes, each in the note list and stamped with its creation time, and the windows that
// show notes: one for a note once it is to be seen, among the open windows, wired to the
// program. A note that is never shown never has one.

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
                std::function<void(NoteWindow*)> wire)
        : m_notes(notes), m_windows(windows), m_switches(switches), m_wire(std::move(wire)) {}

    // A new note in the list: made now, its first line saying so.
    NoteEntry* createEntry();
    // A new note in the list, with its window, not shown yet, typing going on the line after
    // the first.
    NoteWindow* create();
    // The window that shows this note, made (not shown) when it has none.
    NoteWindow* windowFor(NoteEntry& entry);
    // The window of this note, or nullptr while it has none.
    NoteWindow* windowOf(NoteId id) const;
    // Every note window, in the order they were opened.
    QList<NoteWindow*> windows() const;

private:
    NoteList& m_notes;
    OpenWindows& m_windows;
    const ProgramSwitches& m_switches;
    std::function<void(NoteWindow*)> m_wire;
};
