#pragma once
// New notes: each in the note list, stamped with its creation time, and its window among the
// open windows, not shown yet.

#include <QtGlobal>

class NoteList;
class NoteWindow;
class OpenWindows;
class ProgramSwitches;

class NoteFactory {
public:
    NoteFactory(NoteList& notes, OpenWindows& windows, const ProgramSwitches& switches)
        : m_notes(notes), m_windows(windows), m_switches(switches) {}

    // A new note in the list, shown by the newest open window.
    NoteWindow* create();

private:
    NoteList& m_notes;
    OpenWindows& m_windows;
    const ProgramSwitches& m_switches;
};
