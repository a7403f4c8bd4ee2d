#include "platform/clock.h"

namespace {

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace

const Clock& Clock::real() {
    static const SystemClock real;
    return real;
}

namespace timetext {

QString creationTime(const QDateTime& at) {
    return at.date().toString(QStringLiteral("yy/MM/dd")) + u' ' +
           at.time().toString(QStringLiteral("H:m:s"));
}

QString titleClock(const QDateTime& at) {
    return at.date().toString(QStringLiteral("MM/dd")) + u' ' +
           at.time().toString(QStringLiteral("H:m:s"));
}

QString longDate(const QDate& date) {
    return QString::number(date.year()) + u'年' + QString::number(date.month()) + u'月' +
           QString::number(date.day()) + u'日';
}

QString hourMinute(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm"));
}

}  // namespace timetext
