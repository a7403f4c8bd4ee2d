#include "note/reminder.h"

#include <limits>

#include "platform/clock.h"
#include "store/values.h"

namespace reminder {

std::optional<Parts> split(const QString& text) {
    const qsizetype star = text.indexOf(u'*');
    const qsizetype stars = text.indexOf(QStringLiteral("**"));
    if (star < 0 || stars < 0 || stars < star) return std::nullopt;
    return Parts{text.left(star), text.mid(star + 1, stars - star - 1), text.mid(stars + 2)};
}

bool due(const Parts& parts, const QDateTime& now, const QString& lastAlarmMinute) {
    if (parts.date != timetext::longDate(now.date())) return false;
    const std::optional<qint16> last = store::toInt16(lastAlarmMinute);
    const std::optional<qint16> repeat = store::toInt16(parts.repeat);
    if (!last || !repeat) return false;
    // A difference outside 16 bits was an overflow, never an alarm.
    const int sinceLast = now.time().minute() - *last;
    if (sinceLast > std::numeric_limits<qint16>::max()) return false;
    // A one-time reminder goes on ringing every second for the rest of its day, also past the
    // hour, where the minute of the hour starts again below the last alarm's.
    if (*repeat != 0 && sinceLast < *repeat) return false;
    return timetext::hourMinute(now.time()) >= parts.time;
}

}  // namespace reminder
