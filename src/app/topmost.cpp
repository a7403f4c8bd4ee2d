#include "app/topmost.h"

#include "app/form2.h"
#include "note/createnote.h"
#include "note/form1.h"
#include "platform/windowops.h"

namespace {

bool notesOnTop() {
    const Form2* main = Form2::instance();
    return main && main->tiezizaiqian->isChecked();
}

}  // namespace

void ApplyTopmostToAll() {
    const bool topmost = notesOnTop();
    for (int i = 1; i < Forms::Count(); ++i) {
        Form* form = Forms::item(i);
        if (form->Tag() != Form1::kDesignTag) windowops::setTopmost(form, topmost);
    }
}

void TopmostGuardBegin() {
    if (!notesOnTop()) return;
    if (Form* note = Forms::item(CurrentNoteIndex)) windowops::setTopmost(note, false);
}

void TopmostGuardEnd() {
    if (!notesOnTop()) return;
    if (Form* note = Forms::item(CurrentNoteIndex)) windowops::setTopmost(note, true);
}
