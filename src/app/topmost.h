#pragma once
// Notes on top: applying the switch to every window, and the guard that commands put around
// a modal dialog so that the dialog is not hidden behind the current note.

class OpenWindows;
class QWidget;

// Every window but the main one (notes and open dialogs) joins or leaves the topmost band.
void applyTopmostToAll(const OpenWindows& windows, bool notesOnTop);

// Before a dialog: with notes on top, the current note leaves the topmost band.
void lowerNoteForDialog(QWidget* currentNote, bool notesOnTop);
// After the dialog and its work: with notes on top (read again), it rejoins it.
void raiseNoteAfterDialog(QWidget* currentNote, bool notesOnTop);
