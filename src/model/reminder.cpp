#include "model/reminder.h"

#include <limits>

bool Reminder::isDue(const QDateTime& now, int lastAlarmMinute) const {
    if (!isComplete()) return false;
    const ReminderDay& day = *m_day;
    const QDate today = now.date();
    if (day.year != today.year() || day.month != today.month() || day.day != today.day())
        return false;
    constexpr int kMin = std::numeric_limits<qint16>::min();
    constexpr int kMax = std::numeric_limits<qint16>::max();
    if (lastAlarmMinute < kMin || lastAlarmMinute > kMax) return false;
    // A difference outside 16 bits was an overflow, never an alarm.
    const int sinceLast = now.time().minute() - lastAlarmMinute;
    if (sinceLast > kMax) return false;
    // A one-time reminder goes on ringing every second for the rest of its day, also past the
    // hour, where the minute of the hour starts again below the last alarm's.
    const int repeat = *m_repeatMinutes;
    if (repeat != 0 && sinceLast < repeat) return false;
    return QTime(now.time().hour(), now.time().minute()) >= *m_time;
}
