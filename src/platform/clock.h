#pragma once
// The date and time the program sees. Tests install a fixed clock.

#include <QDateTime>
#include <QString>

#include "platform/service.h"

class Clock : public Service<const Clock> {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

private:
    friend Service;
    static const Clock& real();  // the system clock
};

// The fixed text forms the store and the note windows use, independent of the locale.
namespace timetext {
// "yy/mm/dd h:m:s", e.g. "26/12/07 9:5:3": the creation time of a note.
QString creationTime(const QDateTime& at);
// "mm/dd h:m:s": the clock in a note's title strip.
QString titleClock(const QDateTime& at);
// "yyyy年M月d日": the long date form of reminders.
QString longDate(const QDate& date);
// "hh:mm", 24-hour.
QString hourMinute(const QTime& time);
}  // namespace timetext
