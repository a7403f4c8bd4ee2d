#include "note/createnote.h"

#include "app/form2.h"
#include "note/form1.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"
#include "platform/windowops.h"

qint16 NoteCounter = 0;
qint16 CurrentNoteIndex = 0;

namespace {

bool tagInUse(const QString& tag) {
    for (int i = 1; i < Forms::Count(); ++i) {
        if (Forms::item(i)->Tag() == tag) return true;
    }
    return false;
}

}  // namespace

Form1* CreateNote() {
    NoteCounter = qint16(NoteCounter + 1);
    // The delete button lowers the counter, so a number may still be worn by an open note;
    // note numbers must stay distinct for the activation lookup, so skip those.
    while (tagInUse(QString::number(NoteCounter)))
        NoteCounter = qint16(NoteCounter + 1);

    auto* note = new Form1();
    note->setTag(QString::number(NoteCounter));
    const QString created = timetext::creationTime(Clock::current().now());
    note->RichTextBox1->setTag(created);
    note->RichTextBox1->setText(QStringLiteral("创建：") + created + QStringLiteral("\r\n"));
    Form2* main = Form2::instance();
    windowops::setTopmost(note, main && main->tiezizaiqian->isChecked());
    if (main) main->noteCreated(note);
    return note;
}
