#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

#include "store/storekeys.h"
#include "text/gbk.h"

using namespace store::keys;

class TstGbk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storeNamesHaveWindowsBytes_data();
    void storeNamesHaveWindowsBytes();
    void unmappableBecomesQuestionMark_data();
    void unmappableBecomesQuestionMark();
    void everyDoubleByteCharacterRoundTrips();
    void tablesAgreeWithIcu();
    void invalidInputDecodesToReplacement_data();
    void invalidInputDecodesToReplacement();
    void boundaryNeverSplitsACharacter();
};

// Bytes as code page 936 holds them, taken from an independent converter.
void TstGbk::storeNamesHaveWindowsBytes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const std::pair<QString, const char*> rows[] = {
        {kNoteSectionPrefix, "ccfbd7d3"},
        {kInitSection, "b3f5cabcd6b5"},
        {kNoteCount, "b4b0cce5cafdc4bf"},
        {kNotesOnTop, "cac7b7f1d4dac7b0"},
        {kReminderSound, "cce1d0d1c9f9d2f4bfaac6f4"},
        {kAutoStart, "d7d4b6afd4cbd0d0"},
        {kBackColor, "b1b3beb0d1d5c9ab"},
        {kCreated, "bda8c1a2cab1bce4"},
        {kWidth, "b4b0cce5bfedb6c8"},
        {kHeight, "b4b0cce5b8dfb6c8"},
        {kAlarmOn, "c4d6d6d3"},
        {kLeft, "78d7f8b1ea"},
        {kTop, "79d7f8b1ea"},
        {kOpacity, "cdb8c3f7b6c8"},
        {kLock, "bcd3cbf8"},
        {kRestoreHeight, "cab5bccab8dfb6c8"},
        {kNoPassword, "cedec3dcc2eb"},
        {kReminder, "496d61676533"},
        {kVisible, "76697369626c65"},
    };
    for (const auto& [name, hex] : rows)
        QTest::newRow(qPrintable(name)) << name << QByteArray::fromHex(hex);
}

void TstGbk::storeNamesHaveWindowsBytes() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QCOMPARE(gbk::encode(name).toHex(), bytes.toHex());
    QCOMPARE(gbk::decode(bytes), name);
    QVERIFY(gbk::canEncode(name));
}

void TstGbk::unmappableBecomesQuestionMark_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("emoji is one ?") << QStringLiteral("a😀b") << QByteArray("a?b");
    QTest::newRow("hangul") << QStringLiteral("한") << QByteArray("?");
    QTest::newRow("mixed") << QStringLiteral("帖😀子") << QByteArray("\xCC\xFB?\xD7\xD3");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
}

void TstGbk::unmappableBecomesQuestionMark() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(gbk::encode(text), bytes);
    QVERIFY(!gbk::canEncode(text));
    // The shared converter must not carry the error into the next call.
    QVERIFY(gbk::canEncode(QStringLiteral("帖子")));
}

// Every code point GBK defines comes back as the same two bytes, so stored text never drifts.
void TstGbk::everyDoubleByteCharacterRoundTrips() {
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            QByteArray bytes;
            bytes.append(char(lead)).append(char(trail));
            const QString text = gbk::decode(bytes);
            if (text.size() != 1 || text[0] == QChar::ReplacementCharacter) continue;
            // Private-use code points are one-way on some converters; they are not text.
            if (text[0].category() == QChar::Other_PrivateUse) continue;
            QCOMPARE(gbk::encode(text).toHex(), bytes.toHex());
            ++checked;
        }
    }
    QVERIFY2(checked > 21000, qPrintable(QString::number(checked)));
}

// Our lookup tables must convert exactly as Qt's ICU converter does.
void TstGbk::tablesAgreeWithIcu() {
    QStringEncoder encoder("GBK");
    for (char16_t u = 0x80; u < 0xFFFF; ++u) {
        const QChar c(u);
        if (c.isSurrogate()) continue;
        const QByteArray icu = encoder.encode(QStringView(&c, 1));
        // ICU drops default-ignorable characters (soft hyphen, variation selectors); we keep
        // a visible "?" like any other character GBK lacks.
        QCOMPARE(gbk::encode(QStringView(&c, 1)).toHex(),
                 icu.isEmpty() ? QByteArray("3f") : icu.toHex());
    }
    QStringDecoder decoder("GBK");
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x40; trail <= 0xFF; ++trail) {
            QByteArray bytes;
            bytes.append(char(lead)).append(char(trail));
            const QString icu = QString(decoder.decode(bytes + "\n")).chopped(1);
            const QString ours = gbk::decode(bytes);
            if (icu.size() == 1 && icu[0] != QChar::ReplacementCharacter) {
                QCOMPARE(ours, icu);
            } else {
                // Invalid input never turns into some other valid character.
                QVERIFY2(ours.contains(QChar::ReplacementCharacter) || ours == icu,
                         qPrintable(QString::fromLatin1(bytes.toHex())));
            }
        }
    }
}

void TstGbk::invalidInputDecodesToReplacement_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("dangling lead at end") << QByteArray("ab\xCC") << QStringLiteral("ab\uFFFD");
    QTest::newRow("lead then ascii") << QByteArray("\x81\x30x") << QStringLiteral("\uFFFD0x");
    QTest::newRow("lead alone") << QByteArray("\xCC") << QStringLiteral("\uFFFD");
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
}

void TstGbk::invalidInputDecodesToReplacement() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(gbk::decode(bytes), text);
}

void TstGbk::boundaryNeverSplitsACharacter() {
    const QByteArray s = gbk::encode(QStringLiteral("a帖子b"));  // a CC FB D7 D3 b
    QCOMPARE(gbk::boundaryAtOrBefore(s, 0), 0);
    QCOMPARE(gbk::boundaryAtOrBefore(s, 1), 1);
    QCOMPARE(gbk::boundaryAtOrBefore(s, 2), 1);  // would split 帖
    QCOMPARE(gbk::boundaryAtOrBefore(s, 3), 3);
    QCOMPARE(gbk::boundaryAtOrBefore(s, 4), 3);
    QCOMPARE(gbk::boundaryAtOrBefore(s, 5), 5);
    QCOMPARE(gbk::boundaryAtOrBefore(s, 99), 6);
    // A trail byte in the ASCII range is still part of its character.
    const QByteArray t("\x81\x41\x41", 3);
    QCOMPARE(gbk::boundaryAtOrBefore(t, 1), 0);
    QCOMPARE(gbk::boundaryAtOrBefore(t, 2), 2);
}

QTEST_GUILESS_MAIN(TstGbk)
#include "tst_gbk.moc"
