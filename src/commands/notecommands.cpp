#include "commands/notecommands.h"

#include "note/notewindow.h"
#include "platform/screen.h"

namespace commands {

NoteWindow* newNote(CommandHost& host) {
    NoteWindow* note = host.createNote();
    note->show();
    note->setLeftTwips(Screen::Width() - note->state().width);
    return note;
}

}  // namespace commands
