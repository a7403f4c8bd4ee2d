#include "store/values.h"

#include <QRegularExpression>
#include <limits>

#include "platform/clock.h"

namespace store {
namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A decimal number rounded to the nearest integer, a half to the even neighbour; nullopt when
// the text is no number or the result lies outside lo..hi.
std::optional<qint64> roundedDecimal(QStringView text, qint64 lo, qint64 hi) {
    text = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    const qsizetype intBegin = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    QStringView intDigits = text.sliced(intBegin, i - intBegin);
    QStringView fracDigits;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fracBegin = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fracDigits = text.sliced(fracBegin, i - fracBegin);
    }
    if (i != text.size() || (intDigits.isEmpty() && fracDigits.isEmpty())) return std::nullopt;

    while (intDigits.size() > 1 && intDigits.front() == u'0')
        intDigits = intDigits.sliced(1);
    if (intDigits.size() > 18) return std::nullopt;
    qint64 value = 0;
    for (QChar c : intDigits)
        value = value * 10 + (c.unicode() - u'0');

    if (!fracDigits.isEmpty()) {
        const QChar first = fracDigits.front();
        bool restNonZero = false;
        for (QChar c : fracDigits.sliced(1))
            restNonZero = restNonZero || c != u'0';
        if (first > u'5' || (first == u'5' && (restNonZero || value % 2 == 1))) ++value;
    }
    if (negative) value = -value;
    if (value < lo || value > hi) return std::nullopt;
    return value;
}

}  // namespace

std::optional<qint16> toInt16(QStringView text) {
    const auto value = roundedDecimal(text, -32768, 32767);
    if (!value) return std::nullopt;
    return static_cast<qint16>(*value);
}

std::optional<qint32> toInt32(QStringView text) {
    const auto value = roundedDecimal(text, std::numeric_limits<qint32>::min(),
                                      std::numeric_limits<qint32>::max());
    if (!value) return std::nullopt;
    return static_cast<qint32>(*value);
}

std::optional<bool> toBool(QStringView text) {
    text = text.trimmed();
    if (text.compare(u"True", Qt::CaseInsensitive) == 0) return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0) return false;
    // Any number counts; only its being zero matters, so the range is not limited by qint64.
    bool sawDigit = false;
    bool nonZero = false;
    qsizetype i = (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) ? 1 : 0;
    bool sawPoint = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            sawDigit = true;
            nonZero = nonZero || c != u'0';
        } else if (c == u'.' && !sawPoint) {
            sawPoint = true;
        } else {
            return std::nullopt;
        }
    }
    if (!sawDigit) return std::nullopt;
    return nonZero;
}

QString fromBool(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<QColor> toColour(QStringView text) {
    const auto value = roundedDecimal(text, 0, 0xFFFFFF);
    if (!value) return std::nullopt;
    return colourFromBgr(static_cast<quint32>(*value));
}

QString fromColour(const QColor& colour) {
    return QString::number(bgrFromColour(colour));
}

QColor colourFromBgr(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 bgrFromColour(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

}  // namespace store

namespace store {

QString cutSoundPath(const QString& stored) {
    const qsizetype nameStart = qMax(stored.lastIndexOf(u'/'), stored.lastIndexOf(u'\\')) + 1;
    const qsizetype extension = stored.indexOf(u'.', nameStart);
    if (extension >= 0) return stored.left(stored.lastIndexOf(u'.') + 4);
    const qsizetype firstDot = stored.indexOf(u'.');
    return stored.left(firstDot >= 0 ? firstDot + 4 : 3);
}

int opacityFromStored(const QString& stored) {
    const auto value = toInt16(stored.left(3));
    if (!value || *value < 0 || *value > 255) return 255;
    return *value;
}

Reminder toReminder(const QString& stored) {
    if (stored.isEmpty()) return Reminder();
    const qsizetype star = stored.indexOf(u'*');
    const qsizetype stars = stored.indexOf(QStringLiteral("**"));
    if (star < 0 || stars < 0) return Reminder::read(stored, {}, {}, {});

    // The long date as it is written: numbers without leading zeros. The Windows program
    // compared the text with today's; another form never matched any day.
    static const QRegularExpression kLongDate(
        QStringLiteral("^([1-9][0-9]{0,8})年(0|[1-9][0-9]?)月(0|[1-9][0-9]?)日$"));
    std::optional<ReminderDay> day;
    const QRegularExpressionMatch date = kLongDate.match(QStringView(stored).left(star));
    if (date.hasMatch())
        day = ReminderDay{date.captured(1).toInt(), date.captured(2).toInt(),
                          date.captured(3).toInt()};

    // "hh:mm", 24-hour, as the Windows program formatted the time it compared with the clock's.
    static const QRegularExpression kHourMinute(
        QStringLiteral("^([01][0-9]|2[0-3]):([0-5][0-9])$"));
    std::optional<QTime> time;
    const QRegularExpressionMatch hourMinute =
        kHourMinute.match(stored.mid(star + 1, stars - star - 1));
    if (hourMinute.hasMatch())
        time = QTime(hourMinute.captured(1).toInt(), hourMinute.captured(2).toInt());

    std::optional<int> repeat;
    if (const std::optional<qint16> minutes = toInt16(QStringView(stored).sliced(stars + 2)))
        repeat = *minutes;
    return Reminder::read(stored, day, time, repeat);
}

QString fromReminder(const Reminder& reminder) {
    if (!reminder.readText().isEmpty() || !reminder.isComplete()) return reminder.readText();
    const ReminderDay& day = *reminder.day();
    return QString::number(day.year) + u'年' + QString::number(day.month) + u'月' +
           QString::number(day.day) + QStringLiteral("日*") +
           timetext::hourMinute(*reminder.time()) + QStringLiteral("**") +
           QStringLiteral("%1").arg(*reminder.repeatMinutes(), 2, 10, QLatin1Char('0'));
}

}  // namespace store
