#include "platform/forms.h"

#include <QCloseEvent>

namespace {
QList<Form*> g_forms;
std::function<void(Form*)> g_removalObserver;
}  // namespace

Form::Form(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
    Forms::add(this);
}

Form::~Form() {
    Forms::remove(this);
}

void Form::Unload() {
    if (m_unloading || Forms::indexOf(this) < 0) return;
    m_unloading = true;
    Form_Unload();
    Forms::remove(this);
    hide();
    deleteLater();
    // Told after the window left, while it is still whole.
    if (g_removalObserver) g_removalObserver(this);
}

void Form::closeEvent(QCloseEvent* event) {
    // Closing a window from outside (window manager, session) unloads it like the program would.
    event->ignore();
    Unload();
}

int Forms::Count() {
    return static_cast<int>(g_forms.size());
}

Form* Forms::item(int index) {
    return index >= 0 && index < g_forms.size() ? g_forms[index] : nullptr;
}

int Forms::indexOf(const Form* form) {
    return static_cast<int>(g_forms.indexOf(form));
}

QList<Form*> Forms::all() {
    return g_forms;
}

void Forms::unloadFrom(int from) {
    for (int i = Count() - 1; i >= qMax(from, 0); --i) {
        if (Form* form = item(i)) form->Unload();
    }
}

void Forms::add(Form* form) {
    g_forms.append(form);
}

void Forms::remove(Form* form) {
    g_forms.removeOne(form);
}

void Forms::setRemovalObserver(std::function<void(Form*)> observer) {
    g_removalObserver = std::move(observer);
}
