#pragma once
// What the settings dialog may ask of the note it acts on, answered by the program. That is the
// note current at each call: activating another note redirects the next change there.

#include <optional>

#include "model/note.h"

class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    // The values of the current note; nothing while there is none.
    virtual std::optional<Note> noteValues() const = 0;
    // The current note takes these values and shows them.
    virtual void setNoteValues(const Note& values) = 0;
    // The current note's reminder was set: it has not rung yet.
    virtual void forgetLastAlarm() = 0;
    // Whether the current note checks its reminder once a second.
    virtual void setReminderChecking(bool on) = 0;
};
