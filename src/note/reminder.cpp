#include "note/reminder.h"

#include <limits>

namespace reminder {

bool due(const Reminder& reminder, const QDateTime& now, int lastAlarmMinute) {
    if (!reminder.isComplete()) return false;
    const ReminderDay& day = *reminder.day();
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
    const int repeat = *reminder.repeatMinutes();
    if (repeat != 0 && sinceLast < repeat) return false;
    return QTime(now.time().hour(), now.time().minute()) >= *reminder.time();
}

}  // namespace reminder
