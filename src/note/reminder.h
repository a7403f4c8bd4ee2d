#pragma once
// The reminder check of a note, as plain arithmetic on its values. No widgets.
//
// The minute of the hour of the last alarm is kept with the note; numbers are 16-bit, as the
// Windows program counted them.

#include <QDateTime>

#include "model/reminder.h"

namespace reminder {

// The last alarm's minute of a reminder that has not rung since it was set: further back than
// any interval, so that it rings at its time.
constexpr int kNotRungYet = -99;

// Whether a check at `now` rings: on the reminder's own day, at or after its time, and for a
// repeating reminder at least its interval of minutes of the same hour after the last alarm (a
// one-time reminder rings at every check of its day until it is closed). A reminder with a part
// unread never rings.
bool due(const Reminder& reminder, const QDateTime& now, int lastAlarmMinute);

}  // namespace reminder
