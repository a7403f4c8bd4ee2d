#include "model/notestate.h"

void NoteState::setValues(const Note& values) {
    if (values == m_values) return;
    m_values = values;
    Q_EMIT changed();
}

void NoteState::setPlaceAndSize(int left, int top, int width, int height) {
    edit([&](Note& n) {
        n.left = left;
        n.top = top;
        n.width = width;
        n.height = height;
    });
}

void NoteState::setIdentity(const QString& created, const QString& uid) {
    edit([&](Note& n) {
        n.created = created;
        n.uid = uid;
    });
}

void NoteState::setReminderOn(bool on) {
    edit([&](Note& n) { n.reminderOn = on; });
}

void NoteState::setSoundPath(const QString& path) {
    edit([&](Note& n) { n.soundPath = path; });
}

void NoteState::setVisible(bool visible) {
    edit([&](Note& n) { n.visible = visible; });
}
