#pragma once
// One note as the program holds it, without windows: its identity in this run, its values, its
// text, and its reminder and clipboard capture, which go on while no window shows it. A note
// window shows one and edits it; whoever changes a value changes it here.

#include <QDateTime>
#include <QObject>
#include <optional>

#include "model/notechange.h"
#include "model/notestate.h"
#include "model/reminder.h"
#include "notes/notedocument.h"

class NoteEntry : public QObject {
    Q_OBJECT
public:
    explicit NoteEntry(NoteId id, QObject* parent = nullptr);

    NoteId id() const { return m_id; }
    // Its values; each setter signals changed() only for a real change. `visible` is whether a
    // window shows it now, written by that window.
    NoteState& state() { return m_state; }
    const Note& values() const { return m_state.values(); }
    bool isLocked() const { return values().locked; }
    // Its text, with formatting and pictures.
    NoteDocument* document() const { return m_document; }
    const textsearch::Text& searchText() const { return m_document->searchText(); }

    // What the store asks: values but `visible` (a window's to say) and a text, a first line.
    // One change however many parts it has. False, with *problem, for a text that could not be
    // read.
    bool apply(const NoteChange& change, QString* problem = nullptr);
    // New values but `visible`.
    void setValues(const Note& values);

    // Whether the reminder is checked once a second: switched on by the load and the settings
    // dialog, off when the dialog switches the reminder off or a one-time alarm is closed.
    bool checksReminder() const { return m_checksReminder; }
    void setReminderChecking(bool on) { m_checksReminder = on; }
    // The minute of the hour of the last alarm, Reminder::kNotRungYet when the reminder has not
    // rung since it was set.
    int lastAlarmMinute() const { return m_lastAlarmMinute; }
    // The reminder was set or loaded: it has not rung yet.
    void forgetLastAlarm() { m_lastAlarmMinute = Reminder::kNotRungYet; }
    // Once a second while it checks its reminder: true when the alarm is due now. Then, with
    // the sound (`withSound`, the program's reminder-sound switch), the alarm rings until it
    // is closed, and *sound is the file to play (empty for none): a one-time reminder plays it
    // once and keeps no sound file afterwards.
    bool checkReminder(const QDateTime& now, bool withSound, QString* sound);
    bool isRinging() const { return m_ringing; }
    // The alarm is closed: a repeating reminder stays armed, a one-time one ends.
    void closeAlarm();

    // Clipboard capture: each new text on the clipboard is appended to the note.
    bool capturesClipboard() const { return m_capturesClipboard; }
    void setClipboardCapture(bool on) { m_capturesClipboard = on; }
    // The clipboard's text now: true when the note captures it and it is new, to be appended
    // (by the window that shows the note, or by appendCaptured()).
    bool takesClipboardText(const QString& text);
    void appendCaptured(const QString& text) { m_document->appendText(text); }

Q_SIGNALS:
    // Something the store keeps changed: values or text. Only a real change signals.
    void changed();
    // The text or its formatting changed (changed() comes too).
    void contentChanged();

private:
    const NoteId m_id;
    NoteState m_state;
    NoteDocument* m_document;
    bool m_textArriving = false;  // apply() is putting a text in
    bool m_textArrived = false;
    bool m_checksReminder = false;
    int m_lastAlarmMinute = 0;
    bool m_ringing = false;
    // The repeat interval the last reminder check found: the closed alarm of a repeating
    // reminder stays armed.
    int m_alarmRepeatMinutes = 0;
    bool m_capturesClipboard = false;
    QString m_lastCapturedText;
};
