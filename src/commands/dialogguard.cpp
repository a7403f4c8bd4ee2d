#include "commands/dialogguard.h"

#include "desktop/windowops.h"

void lowerNoteForDialog(QWidget* currentNote, bool notesOnTop) {
    if (notesOnTop && currentNote) windowops::setTopmost(currentNote, false);
}

void raiseNoteAfterDialog(QWidget* currentNote, bool notesOnTop) {
    if (notesOnTop && currentNote) windowops::setTopmost(currentNote, true);
}
