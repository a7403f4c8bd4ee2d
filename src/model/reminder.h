#pragma once
// A note's reminder: a day, a time of day and a repeat interval in minutes (0: once), or none.
//
// Read from a store, a part may be unreadable: a date in another program's form, a time or an
// interval that is no number. Such a reminder never rings, but it stays with the note as it was
// stored: the store keeps the text it read in the value and writes that back.
//
// The minute of the hour of the last alarm is kept with the note; numbers are 16-bit, as the
// Windows program counted them.

#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// The day as the reminder names it; it may be one no calendar has (30 February, day 0), which
// no day matches.
struct ReminderDay {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const ReminderDay&, const ReminderDay&) = default;
};

class Reminder {
public:
    // None.
    Reminder() = default;
    // Set in the program.
    Reminder(ReminderDay day, QTime time, int repeatMinutes)
        : m_day(day), m_time(time), m_repeatMinutes(repeatMinutes) {}
    // Read from a store: the text and the parts that could be read out of it.
    static Reminder read(QString text, std::optional<ReminderDay> day, std::optional<QTime> time,
                         std::optional<int> repeatMinutes) {
        Reminder reminder;
        reminder.m_text = std::move(text);
        reminder.m_day = day;
        reminder.m_time = time;
        reminder.m_repeatMinutes = repeatMinutes;
        return reminder;
    }

    bool isNone() const { return !m_day && !m_time && !m_repeatMinutes && m_text.isEmpty(); }
    // Every part could be read: the reminder can ring, and the settings dialog can show it.
    bool isComplete() const { return m_day && m_time && m_repeatMinutes; }
    const std::optional<ReminderDay>& day() const { return m_day; }
    const std::optional<QTime>& time() const { return m_time; }  // hours and minutes
    // -32768 .. 32767, as the store holds numbers.
    const std::optional<int>& repeatMinutes() const { return m_repeatMinutes; }
    // The text it was read from; empty for a reminder set in the program.
    const QString& readText() const { return m_text; }

    // The last alarm's minute of a reminder that has not rung since it was set: further back
    // than any interval, so that it rings at its time.
    static constexpr int kNotRungYet = -99;

    // Whether a check at `now` rings: on the reminder's own day, at or after its time, and for a
    // repeating reminder at least its interval of minutes of the same hour after the last alarm
    // (a one-time reminder rings at every check of its day until it is closed). A reminder with
    // a part unread never rings.
    bool isDue(const QDateTime& now, int lastAlarmMinute) const;

    // The same reminder: the same parts, and for one with a part unread, the same text.
    friend bool operator==(const Reminder& a, const Reminder& b) {
        return a.m_day == b.m_day && a.m_time == b.m_time &&
               a.m_repeatMinutes == b.m_repeatMinutes && (a.isComplete() || a.m_text == b.m_text);
    }

private:
    std::optional<ReminderDay> m_day;
    std::optional<QTime> m_time;
    std::optional<int> m_repeatMinutes;
    QString m_text;
};
