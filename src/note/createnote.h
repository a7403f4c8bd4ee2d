#pragma once
// Making a new note window, and the program-wide note numbering.

#include <QtGlobal>

class Form1;

// Source of note numbers: CreateNote adds 1, the delete button takes 1 away.
extern qint16 NoteCounter;
// Position in Forms of the note window activated last.
extern qint16 CurrentNoteIndex;

// Creates, loads and prepares one new note window without showing it; it is the last member
// of Forms afterwards.
Form1* CreateNote();
