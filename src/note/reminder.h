#pragma once
// The reminder check of a note, as plain arithmetic on its texts. No widgets.
//
// A reminder reads "<long date>*hh:mm**NN": the day, the time of day and the repeat interval in
// minutes ("00": once). The minute of the hour of the last alarm is kept as text ("-99": none
// since the reminder was set). Numbers are 16-bit, as the store has always held them.

#include <QDateTime>
#include <QString>
#include <optional>

namespace reminder {

struct Parts {
    QString date;    // "yyyy年M月d日"
    QString time;    // "hh:mm"
    QString repeat;  // "NN"
};

// The three parts, split at the first "*" and the first "**"; nullopt when either is missing.
std::optional<Parts> split(const QString& text);

// Whether a check at `now` rings: on the reminder's own day, at or after its time, and for a
// repeating reminder at least `repeat` minutes of the same hour after the last alarm (a one-time
// reminder rings at every check of its day until it is closed). Malformed texts never ring.
bool due(const Parts& parts, const QDateTime& now, const QString& lastAlarmMinute);

}  // namespace reminder
