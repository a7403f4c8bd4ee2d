#pragma once
// What the settings dialog asks of the current note, answered over its note window.

#include <functional>

#include "dialogs/settingshost.h"

class NoteWindow;

class NoteSettingsHost final : public SettingsHost {
public:
    explicit NoteSettingsHost(std::function<NoteWindow*()> currentNote)
        : m_currentNote(std::move(currentNote)) {}

    std::optional<Note> noteValues() const override;
    void setNoteValues(const Note& values) override;
    void forgetLastAlarm() override;
    void setReminderChecking(bool on) override;

private:
    std::function<NoteWindow*()> m_currentNote;
};
