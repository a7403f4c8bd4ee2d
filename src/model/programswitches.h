#pragma once
// The three program-wide switches of the tray menu. The check marks of the menu show them;
// everything else reads them here.

#include <QObject>

struct Switches {
    bool notesOnTop = true;
    bool reminderSound = true;
    bool startWithSession = true;
    friend bool operator==(const Switches&, const Switches&) = default;
};

class ProgramSwitches : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const Switches& values() const { return m_values; }
    void setValues(const Switches& values);

    bool notesOnTop() const { return m_values.notesOnTop; }
    bool reminderSound() const { return m_values.reminderSound; }
    bool startWithSession() const { return m_values.startWithSession; }
    void setNotesOnTop(bool on);
    void setReminderSound(bool on);
    void setStartWithSession(bool on);

Q_SIGNALS:
    void notesOnTopChanged(bool on);
    void reminderSoundChanged(bool on);
    void startWithSessionChanged(bool on);

private:
    Switches m_values;
};
