#include <QTest>

#include "model/reminder.h"
#include "store/values.h"

// The reminder check at given times after given alarms: 16-bit minute arithmetic, the time of
// day, and the day that must match, for reminders as the store reads them.
class TstReminder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void due_data();
    void due();
    void malformedNeverSplits();
};

void TstReminder::due_data() {
    QTest::addColumn<QString>("reminder");
    QTest::addColumn<QTime>("at");
    QTest::addColumn<int>("lastAlarm");
    QTest::addColumn<bool>("rings");
    const QString once = QStringLiteral("2027年1月31日*14:30**00");
    const QString tenMinutes = QStringLiteral("2027年1月31日*14:30**10");
    QTest::newRow("before its time") << once << QTime(14, 29, 59) << -99 << false;
    QTest::newRow("at its time") << once << QTime(14, 30) << -99 << true;
    QTest::newRow("once: every later second") << once << QTime(14, 30, 1) << 30 << true;
    QTest::newRow("once: the next hour too") << once << QTime(15, 2) << 30 << true;
    QTest::newRow("passed: next check") << once << QTime(20, 0) << -99 << true;
    QTest::newRow("repeat: 9 min later") << tenMinutes << QTime(14, 39, 59) << 30 << false;
    QTest::newRow("repeat: 10 min later") << tenMinutes << QTime(14, 40) << 30 << true;
    QTest::newRow("repeat: 14:50") << tenMinutes << QTime(14, 50) << 40 << true;
    QTest::newRow("repeat: not from 15:00") << tenMinutes << QTime(15, 0) << 50 << false;
    QTest::newRow("repeat: 15:40 neither") << tenMinutes << QTime(15, 40) << 50 << false;
    QTest::newRow("yesterday's date")
        << QStringLiteral("2027年1月30日*14:30**00") << QTime(14, 31) << -99 << false;
    QTest::newRow("no leading zero in the day")
        << QStringLiteral("2027年01月31日*14:30**00") << QTime(14, 31) << -99 << false;
    QTest::newRow("interval not a number")
        << QStringLiteral("2027年1月31日*14:30**ab") << QTime(14, 31) << -99 << false;
    QTest::newRow("last alarm out of 16 bits") << once << QTime(14, 31) << 40000 << false;
    QTest::newRow("difference out of 16 bits") << tenMinutes << QTime(14, 59) << -32768 << false;
}

void TstReminder::due() {
    QFETCH(QString, reminder);
    QFETCH(QTime, at);
    QFETCH(int, lastAlarm);
    QFETCH(bool, rings);
    const Reminder read = store::toReminder(reminder);
    QVERIFY(!read.isNone());
    QCOMPARE(read.isDue(QDateTime(QDate(2027, 1, 31), at), lastAlarm), rings);
}

void TstReminder::malformedNeverSplits() {
    const Reminder unsplit = store::toReminder(QStringLiteral("2027年1月31日 14:30 00"));
    QVERIFY(!unsplit.day() && !unsplit.time() && !unsplit.repeatMinutes());
    const Reminder oneStar = store::toReminder(QStringLiteral("2027年1月31日*14:30*00"));
    QVERIFY(!oneStar.day() && !oneStar.time() && !oneStar.repeatMinutes());
    const Reminder parts = store::toReminder(QStringLiteral("d*14:30**05"));
    QVERIFY(!parts.day());  // "d" is no date
    QCOMPARE(parts.time(), std::optional<QTime>(QTime(14, 30)));
    QCOMPARE(parts.repeatMinutes(), std::optional<int>(5));
}

QTEST_APPLESS_MAIN(TstReminder)
#include "tst_reminder.moc"
