#include "model/programswitches.h"

void ProgramSwitches::setValues(const Switches& values) {
    setNotesOnTop(values.notesOnTop);
    setReminderSound(values.reminderSound);
    setStartWithSession(values.startWithSession);
}

void ProgramSwitches::setNotesOnTop(bool on) {
    if (on == m_values.notesOnTop) return;
    m_values.notesOnTop = on;
    Q_EMIT notesOnTopChanged(on);
}

void ProgramSwitches::setReminderSound(bool on) {
    if (on == m_values.reminderSound) return;
    m_values.reminderSound = on;
    Q_EMIT reminderSoundChanged(on);
}

void ProgramSwitches::setStartWithSession(bool on) {
    if (on == m_values.startWithSession) return;
    m_values.startWithSession = on;
    Q_EMIT startWithSessionChanged(on);
}
