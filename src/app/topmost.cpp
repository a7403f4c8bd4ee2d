#include "app/topmost.h"

#include "app/openwindows.h"
#include "note/notewindow.h"
#include "platform/windowops.h"

void applyTopmostToAll(const OpenWindows& windows, bool notesOnTop) {
    for (int i = 1; i < windows.count(); ++i) {
        QWidget* window = windows.at(i);
        // A note not yet numbered is no note of the store.
        const auto* note = qobject_cast<NoteWindow*>(window);
        if (!note || note->number() != 0) windowops::setTopmost(window, notesOnTop);
    }
}
