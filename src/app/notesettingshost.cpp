#include "app/notesettingshost.h"

#include "note/notewindow.h"

std::optional<Note> NoteSettingsHost::noteValues() const {
    if (const NoteWindow* note = m_currentNote()) return note->entry().values();
    return std::nullopt;
}

void NoteSettingsHost::setNoteValues(const Note& values) {
    if (NoteWindow* note = m_currentNote()) note->entry().setValues(values);
}

void NoteSettingsHost::forgetLastAlarm() {
    if (NoteWindow* note = m_currentNote()) note->entry().forgetLastAlarm();
}

void NoteSettingsHost::setReminderChecking(bool on) {
    if (NoteWindow* note = m_currentNote()) note->entry().setReminderChecking(on);
}
