#include <QTest>

#include "store/values.h"

using namespace store;

namespace {

// "year/month/day hh:mm repeat", "?" for a part unread.
QString describe(const Reminder& reminder) {
    if (reminder.isNone()) return QStringLiteral("none");
    QStringList parts(3, QStringLiteral("?"));
    if (const auto& d = reminder.day())
        parts[0] = QStringLiteral("%1/%2/%3").arg(d->year).arg(d->month).arg(d->day);
    if (reminder.time()) parts[1] = reminder.time()->toString(u"HH:mm");
    if (reminder.repeatMinutes()) parts[2] = QString::number(*reminder.repeatMinutes());
    return parts.join(u' ');
}

}  // namespace

class TstValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void int16_data();
    void int16();
    void boolean_data();
    void boolean();
    void colour();
    void soundPathCut_data();
    void soundPathCut();
    void opacity_data();
    void opacity();
    void reminderRoundTrip_data();
    void reminderRoundTrip();
};

void TstValues::int16_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "3345" << true << 3345;
    QTest::newRow("negative") << "-120" << true << -120;
    QTest::newRow("plus and blanks") << " +7 " << true << 7;
    QTest::newRow("leading zeros") << "000000000000000000000638" << true << 638;
    QTest::newRow("max") << "32767" << true << 32767;
    QTest::newRow("min") << "-32768" << true << -32768;
    QTest::newRow("just over") << "32768" << false << 0;
    QTest::newRow("just under") << "-32769" << false << 0;
    QTest::newRow("width 40000") << "40000" << false << 0;
    QTest::newRow("huge") << "99999999999999999999999999" << false << 0;
    QTest::newRow("half to even down") << "2.5" << true << 2;
    QTest::newRow("half to even up") << "3.5" << true << 4;
    QTest::newRow("negative half") << "-2.5" << true << -2;
    QTest::newRow("over half") << "2.5000001" << true << 3;
    QTest::newRow("under half") << "2.4999" << true << 2;
    QTest::newRow("fraction only") << ".6" << true << 1;
    QTest::newRow("rounds into range") << "32767.4" << true << 32767;
    QTest::newRow("rounds out of range") << "32767.5" << false << 0;
    QTest::newRow("min half stays even") << "-32768.5" << true << -32768;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("dot only") << "." << false << 0;
    QTest::newRow("word") << "abc" << false << 0;
    QTest::newRow("trailing junk") << "12px" << false << 0;
    QTest::newRow("two dots") << "1.2.3" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("fullwidth digits") << QStringLiteral("１２") << false << 0;
}

void TstValues::int16() {
    QFETCH(QString, text);
    QFETCH(bool, applied);
    QFETCH(int, value);
    const auto result = toInt16(text);
    QCOMPARE(result.has_value(), applied);
    if (applied) QCOMPARE(int(*result), value);
}

void TstValues::boolean_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");  // -1: not applied
    QTest::newRow("True") << "True" << 1;
    QTest::newRow("false lower") << "false" << 0;
    QTest::newRow("TRUE upper") << "TRUE" << 1;
    QTest::newRow("blanks") << "  False " << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("minus one") << "-1" << 1;
    QTest::newRow("zero fraction") << "0.000" << 0;
    QTest::newRow("small fraction") << "0.001" << 1;
    QTest::newRow("huge number") << "123456789012345678901234567890" << 1;
    QTest::newRow("yes") << "yes" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("Truex") << "Truex" << -1;
    QTest::newRow("dot") << "." << -1;
}

void TstValues::boolean() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto result = toBool(text);
    QCOMPARE(result.has_value(), expected >= 0);
    if (result) QCOMPARE(int(*result), expected);
    if (result) QCOMPARE(toBool(fromBool(*result)), result);
}

void TstValues::colour() {
    // The default note colour: red 192, green 192, blue 255.
    const auto c = toColour(u"16761024");
    QVERIFY(c);
    QCOMPARE(c->red(), 192);
    QCOMPARE(c->green(), 192);
    QCOMPARE(c->blue(), 255);
    QCOMPARE(fromColour(*c), QStringLiteral("16761024"));
    QCOMPARE(bgrFromColour(QColor(0x12, 0x34, 0x56)), 0x563412u);
    QCOMPARE(colourFromBgr(0x563412), QColor(0x12, 0x34, 0x56));
    QCOMPARE(toColour(u"0"), QColor(0, 0, 0));
    QCOMPARE(toColour(u"16777215"), QColor(255, 255, 255));
    QVERIFY(!toColour(u"16777216"));  // bits 24..31 must be zero
    QVERIFY(!toColour(u"-1"));
    QVERIFY(!toColour(u"blue"));
}

void TstValues::soundPathCut_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    QTest::newRow("windows path") << "C:\\Sounds\\ring.wav"
                                  << "C:\\Sounds\\ring.wav";
    QTest::newRow("dotted folder") << "D:\\My.Sounds\\ring.wav"
                                   << "D:\\My.Sounds\\ring.wav";
    QTest::newRow("hidden folder") << "/home/a/.local/share/bell.mid"
                                   << "/home/a/.local/share/bell.mid";
    QTest::newRow("junk after extension") << "/s/ring.wav\x01\x02"
                                          << "/s/ring.wav";
    QTest::newRow("long extension cut") << "/s/ring.flac"
                                        << "/s/ring.fla";
    QTest::newRow("two dots in name") << "/s/ring.old.mp3"
                                      << "/s/ring.old.mp3";
    QTest::newRow("no extension, dotted folder") << "/home/john.doe/bell"
                                                 << "/home/john.doe";
    QTest::newRow("no dot at all") << "/sounds/bell"
                                   << "/so";
    QTest::newRow("empty") << ""
                           << "";
}

void TstValues::soundPathCut() {
    QFETCH(QString, stored);
    QTEST(cutSoundPath(stored), "expected");
}

void TstValues::opacity_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("opaque") << "255" << 255;
    QTest::newRow("180") << "180" << 180;
    QTest::newRow("invisible") << "0" << 0;
    QTest::newRow("1000 reads as 100") << "1000" << 100;
    QTest::newRow("256..999") << "300" << 255;
    QTest::newRow("negative") << "-5" << 255;
    QTest::newRow("not a number") << "abc" << 255;
    QTest::newRow("empty") << "" << 255;
    QTest::newRow("blank then digits") << " 90" << 90;
}

void TstValues::opacity() {
    QFETCH(QString, stored);
    QTEST(opacityFromStored(stored), "expected");
}

// Every form a stored reminder may take: what is read out of it, and that it is written back
// byte for byte. The forms the program writes itself come out the same when built from their
// parts.
void TstValues::reminderRoundTrip_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("parts");  // "year/month/day hh:mm repeat", "?" for a part unread
    QTest::addColumn<bool>("written");   // the program writes it so
    auto row = [](const char* name, const char16_t* stored, const char* parts, bool written) {
        QTest::newRow(name) << QString::fromUtf16(stored) << QString::fromLatin1(parts) << written;
    };
    row("none", u"", "none", true);
    row("repeating", u"2026年12月7日*14:30**05", "2026/12/7 14:30 5", true);
    row("once, morning", u"2026年1月31日*09:05**00", "2026/1/31 09:05 0", true);
    row("longest interval", u"2027年3月6日*23:59**60", "2027/3/6 23:59 60", true);
    row("day 0", u"2027年3月0日*08:00**10", "2027/3/0 08:00 10", true);
    row("30 February", u"2027年2月30日*08:00**10", "2027/2/30 08:00 10", true);
    row("interval of one digit", u"2026年12月7日*14:30**5", "2026/12/7 14:30 5", false);
    row("interval with sign and blank", u"2026年12月7日*14:30** +7", "2026/12/7 14:30 7", false);
    row("interval rounded", u"2026年12月7日*14:30**2.5", "2026/12/7 14:30 2", false);
    row("interval beyond the lists", u"2026年12月7日*14:30**99", "2026/12/7 14:30 99", true);
    row("interval beyond 16 bits", u"2026年12月7日*14:30**40000", "2026/12/7 14:30 ?", false);
    row("interval no number", u"2026年12月7日*14:30**ab", "2026/12/7 14:30 ?", false);
    row("interval empty", u"2026年12月7日*14:30**", "2026/12/7 14:30 ?", false);
    row("leading zeros in the date", u"2026年12月07日*14:30**05", "? 14:30 5", false);
    row("another program's date", u"07.03.2027*14:30**10", "? 14:30 10", false);
    row("an English long date", u"Sunday, March 7, 2027*14:30**10", "? 14:30 10", false);
    row("hour of one digit", u"2026年12月7日*9:30**05", "2026/12/7 ? 5", false);
    row("hour 24", u"2026年12月7日*24:00**05", "2026/12/7 ? 5", false);
    row("seconds", u"2026年12月7日*14:30:00**05", "2026/12/7 ? 5", false);
    row("no time", u"2026年12月7日**05", "2026/12/7 ? 5", false);
    row("blanks for separators", u"2026年12月7日 14:30 05", "? ? ?", false);
    row("one star only", u"2026年12月7日*14:30*05", "? ? ?", false);
    row("separators only", u"**", "? ? ?", false);
}

void TstValues::reminderRoundTrip() {
    QFETCH(QString, stored);
    QFETCH(QString, parts);
    QFETCH(bool, written);
    const Reminder read = toReminder(stored);
    QCOMPARE(describe(read), parts);
    QCOMPARE(fromReminder(read), stored);
    if (read.isComplete()) {
        const Reminder rebuilt(*read.day(), *read.time(), *read.repeatMinutes());
        QCOMPARE(rebuilt, read);
        QCOMPARE(fromReminder(rebuilt) == stored, written);
    }
}

QTEST_GUILESS_MAIN(TstValues)
#include "tst_values.moc"
