#pragma once
// The guard that note commands put around a modal dialog: with notes on top, the current note
// leaves the topmost band for the time of the dialog, so that the dialog is not hidden behind
// it.

class QWidget;

// Before a dialog: with notes on top, the current note leaves the topmost band.
void lowerNoteForDialog(QWidget* currentNote, bool notesOnTop);
// After the dialog and its work: with notes on top (read again), it rejoins it.
void raiseNoteAfterDialog(QWidget* currentNote, bool notesOnTop);
