#include "commands/notecommands.h"

#include "note/createnote.h"
#include "note/form1.h"
#include "platform/screen.h"

void new_Click() {
    CreateNote();
    auto* note = qobject_cast<Form1*>(Forms::item(Forms::Count() - 1));
    if (!note) return;
    note->show();
    note->setLeft(Screen::Width() - note->Width());
}
