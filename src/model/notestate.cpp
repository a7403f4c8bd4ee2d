#include "model/notestate.h"

void NoteState::setValues(const Note& values) {
    if (values == m_values) return;
    m_values = values;
    Q_EMIT changed();
}

void NoteState::setPlaceAndSize(int left, int top, int width, int height) {
    Note values = m_values;
    values.left = left;
    values.top = top;
    values.width = width;
    values.height = height;
    setValues(values);
}

void NoteState::setCreated(const QString& created) {
    Note values = m_values;
    values.created = created;
    setValues(values);
}

void NoteState::setReminderOn(bool on) {
    Note values = m_values;
    values.reminderOn = on;
    setValues(values);
}

void NoteState::setSoundPath(const QString& path) {
    Note values = m_values;
    values.soundPath = path;
    setValues(values);
}

void NoteState::setVisible(bool visible) {
    Note values = m_values;
    values.visible = visible;
    setValues(values);
}
