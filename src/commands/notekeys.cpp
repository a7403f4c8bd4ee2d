#include "commands/notekeys.h"

#include "commands/editcommands.h"
#include "commands/filecommands.h"
#include "commands/notecommands.h"
#include "note/notewindow.h"

namespace commands {

bool noteKey(CommandHost& host, NoteWindow* note, int key, Qt::KeyboardModifiers modifiers) {
    if (!(modifiers & Qt::ControlModifier)) {
        switch (key) {
            case Qt::Key_F3:
                findNext(host);
                return true;
            case Qt::Key_F4:
                lockNote(host);
                return true;
            case Qt::Key_F5:
                host.showSettings();
                return true;
            case Qt::Key_F6:
                note->hide();
                return true;
            default:
                return false;
        }
    }
    // A letter the table below leaves free, so Shift may count: Ctrl+M alone is a format key.
    if (key == Qt::Key_M && (modifiers & Qt::ShiftModifier)) {
        host.popUpTrayMenu(note->keyboardMenuPlace());
        return true;
    }
    switch (key) {
        case Qt::Key_Q:
            clearNote(note);
            return true;
        case Qt::Key_O:
            openFile(host);
            return true;
        case Qt::Key_S:
            saveToFile(host);
            return true;
        case Qt::Key_P:
            printNote(host);
            return true;
        case Qt::Key_N:
            newNoteInPlace(host);  // where a new note stands, not at the screen edge
            return true;
        case Qt::Key_D:
            deleteCurrentNote(host);
            return true;
        case Qt::Key_I:
            host.showIconPicker();
            return true;
        case Qt::Key_T:
            chooseFont(host);
            return true;
        case Qt::Key_F:
            find(host);
            return true;
        default:
            return false;
    }
}

}  // namespace commands
