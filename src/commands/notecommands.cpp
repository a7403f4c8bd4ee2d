#include "commands/notecommands.h"

#include "note/notewindow.h"
#include "platform/screen.h"

namespace commands {

NoteWindow* newNote(CommandHost& host) {
    NoteWindow* note = host.createNote();
    note->show();
    note->setLeftTwips(screen::widthTwips() - note->note().width);
    return note;
}

}  // namespace commands
