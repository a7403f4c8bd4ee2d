#pragma once
// New note windows: numbered, stamped with their creation time, among the open windows, not
// shown yet. Each new note takes the next number; deleting a note gives one back.

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
    // The last number given out is free again.
    void giveBackNumber() { m_counter = qint16(m_counter - 1); }
    // Numbering starts again from 1 (a start of the program).
    void restartNumbering() { m_counter = 0; }
    qint16 counter() const { return m_counter; }
    void setCounter(qint16 counter) { m_counter = counter; }

private:
    NoteList& m_notes;
    OpenWindows& m_windows;
    const ProgramSwitches& m_switches;
    qint16 m_counter = 0;
    int m_highestNumber = 0;  // the highest note number given out
};
