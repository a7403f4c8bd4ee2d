#include "app/form2.h"

#include "note/createnote.h"
#include "store/notestore.h"

namespace {
Form2* g_instance = nullptr;

QAction* makeSwitch(QObject* parent, const QString& text) {
    auto* action = new QAction(text, parent);
    action->setCheckable(true);
    action->setChecked(true);  // the design state of the three tray items
    return action;
}
}  // namespace

Form2::Form2()
    : tiezizaiqian(makeSwitch(this, QStringLiteral("帖子在前"))),
      tixing(makeSwitch(this, QStringLiteral("提醒声音开启"))),
      zidongyunxing(makeSwitch(this, QStringLiteral("自动运行"))) {
    g_instance = this;
}

Form2::~Form2() {
    if (g_instance == this) g_instance = nullptr;
}

Form2* Form2::instance() {
    return g_instance;
}

void Form2::Form_Load() {
    NoteCounter = 0;
    hide();
    LoadAllNotes(*this);
}

void Form2::Form_Unload() {
    SaveAllNotes(*this);
    Forms::unloadFrom(1);
}
