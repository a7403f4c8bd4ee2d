#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "store/profilefile.h"
#include "store/storekeys.h"
#include "text/gbk.h"

using store::ProfileFile;
using namespace store::keys;

namespace {

QByteArray g(const QString& s) {
    return gbk::encode(s);
}

ProfileFile parsed(const QByteArray& bytes) {
    ProfileFile f;
    f.setContent(bytes);
    return f;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A store as the Windows program writes it: GBK names, CR LF.
QByteArray windowsStore() {
    QByteArray s;
    s += "[" + g(noteSection(1)) + "]\r\n";
    s += "Image3=" + g(QStringLiteral("2026年12月7日*09:30**05")) + "\r\n";
    s += "Image5=C:\\Program Files\\Jotpin\\kvz.mid\r\n";
    s += g(kBackColor) + "=16761024\r\n";
    s += g(kCreated) + "=26/12/07 9:5:3\r\n";
    s += g(kWidth) + "=3345\r\n";
    s += g(kHeight) + "=638\r\n";
    s += g(kAlarmOn) + "=True\r\n";
    s += g(kLeft) + "=-120\r\n";
    s += g(kTop) + "=4500\r\n";
    s += g(kOpacity) + "=180\r\n";
    s += "visible=False\r\n";
    s += g(kLock) + "=" + g(QStringLiteral("秘密*1")) + "\r\n";
    s += g(kRestoreHeight) + "=2400\r\n";
    s += "[" + g(kInitSection) + "]\r\n";
    s += g(kNoteCount) + "=1\r\n";
    s += g(kNotesOnTop) + "=False\r\n";
    s += g(kReminderSound) + "=True\r\n";
    s += g(kAutoStart) + "=False\r\n";
    return s;
}

}  // namespace

class TstProfileFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingFileReadsDefaultsAndWritesNothing();
    void readsWindowsStore();
    void lineEndsAndBom_data();
    void lineEndsAndBom();
    void namesIgnoreAsciiCaseOnly();
    void trimsAndStripsQuotes_data();
    void trimsAndStripsQuotes();
    void firstDuplicateWins();
    void readsAtMost255BytesOnACharacterBoundary();
    void linesThatAreNotKeysOrSections();
    void untouchedFileSerializesByteForByte();
    void writeReplacesInPlaceAndKeepsOtherLines();
    void writeAppendsMissingKeyAtEndOfSection();
    void writeAppendsMissingSectionsInWriteOrder();
    void writeWithoutFinalLineBreak();
    void writesAreSeenBeforeSave();
    void valueCannotAddLines();
    void saveRoundTripsGbkValues();
    void failedSaveReportsAndKeepsOldFile();
    void hostileFilesReadWithoutHarm_data();
    void hostileFilesReadWithoutHarm();
};

void TstProfileFile::missingFileReadsDefaultsAndWritesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(kSettingsFile);
    ProfileFile f(path);
    QString error;
    QVERIFY(f.load(&error));
    QVERIFY(error.isEmpty());
    QCOMPARE(f.read(kInitSection, kNoteCount, QStringLiteral("0")), QStringLiteral("0"));
    QCOMPARE(f.read(kInitSection, kAutoStart, QStringLiteral("True")), QStringLiteral("True"));
    QCOMPARE(f.read(noteSection(1), kWidth, QStringLiteral(" 3345 ")), QStringLiteral("3345"));
    QVERIFY(!QFileInfo::exists(path));
}

void TstProfileFile::readsWindowsStore() {
    const ProfileFile f = parsed(windowsStore());
    const QString s1 = noteSection(1);
    QCOMPARE(f.read(s1, kReminder), QStringLiteral("2026年12月7日*09:30**05"));
    QCOMPARE(f.read(s1, kSoundPath), QStringLiteral("C:\\Program Files\\Jotpin\\kvz.mid"));
    QCOMPARE(f.read(s1, kLeft), QStringLiteral("-120"));
    QCOMPARE(f.read(s1, kLock), QStringLiteral("秘密*1"));
    QCOMPARE(f.read(s1, kVisible), QStringLiteral("False"));
    QCOMPARE(f.read(kInitSection, kNoteCount), QStringLiteral("1"));
    QCOMPARE(f.read(kInitSection, kAutoStart), QStringLiteral("False"));
    QCOMPARE(f.read(noteSection(2), kWidth, QStringLiteral("3345")), QStringLiteral("3345"));
    QCOMPARE(f.read(s1, QStringLiteral("nokey"), QStringLiteral("d")), QStringLiteral("d"));
}

void TstProfileFile::lineEndsAndBom_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray crlf = windowsStore();
    QByteArray lf = crlf;
    lf.replace("\r\n", "\n");
    QByteArray cr = crlf;
    cr.replace("\r\n", "\r");
    QByteArray mixed = crlf;
    for (qsizetype i = 0, n = 0; (i = mixed.indexOf("\r\n", i)) >= 0; ++n) {
        if (n % 3 == 1)
            mixed.remove(i, 1);  // LF only
        else if (n % 3 == 2)
            mixed.remove(i + 1, 1);  // CR only
        else
            i += 2;
    }
    QByteArray noFinal = crlf;
    noFinal.chop(2);
    QTest::newRow("crlf") << crlf;
    QTest::newRow("lf") << lf;
    QTest::newRow("cr") << cr;
    QTest::newRow("mixed") << mixed;
    QTest::newRow("utf8 bom") << QByteArray("\xEF\xBB\xBF") + crlf;
    QTest::newRow("no final line end") << noFinal;
}

void TstProfileFile::lineEndsAndBom() {
    QFETCH(QByteArray, bytes);
    const ProfileFile f = parsed(bytes);
    QCOMPARE(f.read(noteSection(1), kReminder), QStringLiteral("2026年12月7日*09:30**05"));
    QCOMPARE(f.read(noteSection(1), kRestoreHeight), QStringLiteral("2400"));
    QCOMPARE(f.read(kInitSection, kAutoStart), QStringLiteral("False"));
    QCOMPARE(f.read(kInitSection, kNoteCount), QStringLiteral("1"));
    QCOMPARE(f.serialize(), bytes);
}

void TstProfileFile::namesIgnoreAsciiCaseOnly() {
    // Trail bytes 0x41 ('A') and 0x61 ('a') belong to two different characters.
    const QByteArray dbcsA("\x81\x41", 2);
    const QByteArray dbcsLowerA("\x81\x61", 2);
    QByteArray bytes = "[Notes]\r\nVISIBLE=False\r\nx" + g(QStringLiteral("坐标")) + "=7\r\n";
    bytes += "[k" + dbcsA + "]\r\nv=upper\r\n[k" + dbcsLowerA + "]\r\nv=lower\r\n";
    ProfileFile f = parsed(bytes);
    QCOMPARE(f.readBytes("notes", "visible", "d"), QByteArray("False"));
    QCOMPARE(f.readBytes("NOTES", "Visible", "d"), QByteArray("False"));
    QCOMPARE(f.read(QStringLiteral("notes"), QStringLiteral("X坐标")), QStringLiteral("7"));
    QCOMPARE(f.readBytes(QByteArray("K" + dbcsA), "V", "d"), QByteArray("upper"));
    QCOMPARE(f.readBytes(QByteArray("K" + dbcsLowerA), "V", "d"), QByteArray("lower"));

    // A write with other letter case replaces the stored key and keeps its spelling.
    f.writeBytes("NOTES", "Visible", "True");
    QVERIFY(f.serialize().contains("VISIBLE=True\r\n"));
    QVERIFY(!f.serialize().contains("Visible"));
}

void TstProfileFile::trimsAndStripsQuotes_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("blanks around")
        << QByteArray(" \tkey \t=  some value \t") << QByteArray("some value");
    QTest::newRow("double quotes") << QByteArray("key=\"  quoted  \"") << QByteArray("quoted");
    QTest::newRow("single quotes") << QByteArray("key='x'") << QByteArray("x");
    QTest::newRow("unmatched quotes") << QByteArray("key=\"x'") << QByteArray("\"x'");
    QTest::newRow("open quote only") << QByteArray("key=\"abc") << QByteArray("\"abc");
    QTest::newRow("lone quote") << QByteArray("key=\"") << QByteArray("\"");
    QTest::newRow("empty quotes") << QByteArray("key=\"\"") << QByteArray("");
    QTest::newRow("empty value") << QByteArray("key=") << QByteArray("");
    QTest::newRow("equals in value") << QByteArray("key=a=b") << QByteArray("a=b");
    QTest::newRow("nul ends value") << QByteArray("key=ab\0cd", 9) << QByteArray("ab");
}

void TstProfileFile::trimsAndStripsQuotes() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, value);
    const ProfileFile f = parsed(" [ sec ] \r\n" + line + "\r\n");
    QCOMPARE(f.readBytes("sec", "key", "default"), value);
    QCOMPARE(f.readBytes(" sec", "key ", "default"), value);
}

void TstProfileFile::firstDuplicateWins() {
    ProfileFile f = parsed("[a]\r\nk=1\r\nk=2\r\n[b]\r\nk=b\r\n[A]\r\nk=3\r\nonly=later\r\n");
    QCOMPARE(f.readBytes("a", "k", ""), QByteArray("1"));
    // The second [A] is never read, not even for keys the first lacks.
    QCOMPARE(f.readBytes("a", "only", "d"), QByteArray("d"));
    f.writeBytes("a", "k", "9");
    QCOMPARE(f.serialize(),
             QByteArray("[a]\r\nk=9\r\nk=2\r\n[b]\r\nk=b\r\n[A]\r\nk=3\r\nonly=later\r\n"));
}

void TstProfileFile::readsAtMost255BytesOnACharacterBoundary() {
    const QByteArray ascii(300, 'x');
    QCOMPARE(parsed("[s]\r\nk=" + ascii + "\r\n").readBytes("s", "k", "").size(), 255);

    // 254 ASCII bytes then a double-byte character: byte 255 is its lead byte.
    const QByteArray split = QByteArray(254, 'y') + g(QStringLiteral("帖子"));
    const QByteArray got = parsed("[s]\r\nk=" + split + "\r\n").readBytes("s", "k", "");
    QCOMPARE(got, QByteArray(254, 'y'));
    QVERIFY(!gbk::decode(got).contains(QChar::ReplacementCharacter));

    // All Chinese: 127 characters fit into 254 bytes.
    QString chinese(200, QChar(0x5E16));
    const QString read =
        parsed("[s]\r\nk=" + g(chinese) + "\r\n").read(QStringLiteral("s"), QStringLiteral("k"));
    QCOMPARE(read, QString(127, QChar(0x5E16)));

    // A cut that ends in blanks is trimmed like any other value.
    const QByteArray blanks = QByteArray(250, 'z') + QByteArray(10, ' ') + "tail";
    QCOMPARE(parsed("[s]\r\nk=" + blanks + "\r\n").readBytes("s", "k", ""), QByteArray(250, 'z'));

    // Defaults are cut the same way.
    QCOMPARE(parsed({}).readBytes("s", "k", ascii).size(), 255);
}

void TstProfileFile::linesThatAreNotKeysOrSections() {
    const QByteArray bytes =
        "orphan=before any section\r\n"
        "[s]trailing words\r\n"
        "no equals sign\r\n"
        "; comment=not a key\r\n"
        "[unclosed\r\n"
        "k=inside s\r\n"
        "=empty name\r\n";
    const ProfileFile f = parsed(bytes);
    QCOMPARE(f.readBytes("s", "k", "d"), QByteArray("inside s"));
    QCOMPARE(f.readBytes("s", "no equals sign", "d"), QByteArray("d"));
    QCOMPARE(f.readBytes("s", "; comment", "d"), QByteArray("d"));
    QCOMPARE(f.readBytes("", "orphan", "d"), QByteArray("d"));
    QCOMPARE(f.readBytes("unclosed", "k", "d"), QByteArray("d"));
}

void TstProfileFile::untouchedFileSerializesByteForByte() {
    const QByteArray bytes = "\xEF\xBB\xBF; made by hand\n[s]\r\n k = v \r\n\r\n[t]\rq=1";
    const ProfileFile f = parsed(bytes);
    QVERIFY(!f.hasPendingWrites());
    QCOMPARE(f.serialize(), bytes);
}

void TstProfileFile::writeReplacesInPlaceAndKeepsOtherLines() {
    QByteArray bytes;
    bytes += "; kept comment\r\n";
    bytes += "[" + g(noteSection(1)) + "]\r\n";
    bytes += "unknown=stays\n";  // an LF-only line stays LF-only
    bytes += "  " + g(kWidth) + " = 3345 \r\n";
    bytes += g(kHeight) + "=638\r\n";
    bytes += "\r\n";
    bytes += "[" + g(noteSection(5)) + "]\r\n";  // above the count: never touched
    bytes += g(kWidth) + "=1\r\n";
    ProfileFile f = parsed(bytes);
    f.write(noteSection(1), kWidth, QStringLiteral("4000"));

    QByteArray expected = bytes;
    expected.replace(QByteArray("  " + g(kWidth) + " = 3345 \r\n"),
                     QByteArray(g(kWidth) + "=4000\r\n"));
    QCOMPARE(f.serialize(), expected);
}

void TstProfileFile::writeAppendsMissingKeyAtEndOfSection() {
    ProfileFile f = parsed("[a]\r\nx=1\r\n\r\n\r\n[b]\r\ny=2\r\n");
    f.writeBytes("a", "new", "v");
    f.writeBytes("a", "x", "10");
    f.writeBytes("a", "newer", "w");
    f.writeBytes("b", "z", "3");
    QCOMPARE(f.serialize(),
             QByteArray("[a]\r\nx=10\r\nnew=v\r\nnewer=w\r\n\r\n\r\n[b]\r\ny=2\r\nz=3\r\n"));

    // An empty section gets its keys right after the header.
    ProfileFile e = parsed("[a]\r\n\r\n[b]\r\n");
    e.writeBytes("a", "k", "v");
    QCOMPARE(e.serialize(), QByteArray("[a]\r\nk=v\r\n\r\n[b]\r\n"));
}

void TstProfileFile::writeAppendsMissingSectionsInWriteOrder() {
    ProfileFile f;
    f.write(noteSection(1), kReminder, QString());
    f.write(noteSection(1), kWidth, QStringLiteral("3345"));
    f.write(kInitSection, kNoteCount, QStringLiteral("1"));
    f.write(kInitSection, kNotesOnTop, QStringLiteral("False"));
    const QByteArray expected = "[" + g(noteSection(1)) + "]\r\nImage3=\r\n" + g(kWidth) +
                                "=3345\r\n[" + g(kInitSection) + "]\r\n" + g(kNoteCount) +
                                "=1\r\n" + g(kNotesOnTop) + "=False\r\n";
    QCOMPARE(f.serialize(), expected);
}

void TstProfileFile::writeWithoutFinalLineBreak() {
    ProfileFile f = parsed("[a]\r\nx=1");
    f.writeBytes("a", "y", "2");
    f.writeBytes("c", "z", "3");
    QCOMPARE(f.serialize(), QByteArray("[a]\r\nx=1\r\ny=2\r\n[c]\r\nz=3\r\n"));

    ProfileFile h = parsed("[a]");
    h.writeBytes("a", "k", "v");
    QCOMPARE(h.serialize(), QByteArray("[a]\r\nk=v\r\n"));

    ProfileFile r = parsed("[a]\r\nx=1");
    r.writeBytes("a", "x", "2");
    QCOMPARE(r.serialize(), QByteArray("[a]\r\nx=2"));
}

void TstProfileFile::writesAreSeenBeforeSave() {
    ProfileFile f = parsed("[a]\r\nx=1\r\n");
    f.writeBytes("A", "X", " 5 ");
    f.writeBytes("new", "k", "\"q\"");
    QCOMPARE(f.readBytes("a", "x", ""), QByteArray("5"));
    QCOMPARE(f.readBytes("NEW", "K", ""), QByteArray("q"));
    QCOMPARE(parsed(f.serialize()).readBytes("a", "x", ""), QByteArray("5"));
}

void TstProfileFile::valueCannotAddLines() {
    ProfileFile f;
    f.writeBytes("a", "k", "line1\r\n[evil]\r\nk=2");
    const ProfileFile back = parsed(f.serialize());
    QCOMPARE(back.readBytes("a", "k", ""), QByteArray("line1  [evil]  k=2"));
    QCOMPARE(back.readBytes("evil", "k", "none"), QByteArray("none"));
}

void TstProfileFile::saveRoundTripsGbkValues() {
    QTemporaryDir dir;
    const QString path = dir.filePath(kSettingsFile);
    writeFile(path, windowsStore());
    ProfileFile f(path);
    QVERIFY(f.load());
    f.write(noteSection(1), kLock, QStringLiteral("新密码"));
    f.write(noteSection(2), kCreated, QStringLiteral("26/12/07 10:0:0"));
    QString error;
    QVERIFY2(f.save(&error), qPrintable(error));
    QVERIFY(!f.hasPendingWrites());

    const QByteArray onDisk = readFile(path);
    QVERIFY(onDisk.contains(QByteArray(g(kLock) + "=" + g(QStringLiteral("新密码")) + "\r\n")));
    ProfileFile again(path);
    QVERIFY(again.load());
    QCOMPARE(again.read(noteSection(1), kLock), QStringLiteral("新密码"));
    QCOMPARE(again.read(noteSection(1), kOpacity), QStringLiteral("180"));
    QCOMPARE(again.read(noteSection(2), kCreated), QStringLiteral("26/12/07 10:0:0"));
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TstProfileFile::failedSaveReportsAndKeepsOldFile() {
    QTemporaryDir dir;
    // The folder of the settings file is a plain file: nothing can be created in it.
    const QString notAFolder = dir.filePath(QStringLiteral("plain"));
    writeFile(notAFolder, "x");
    ProfileFile f(notAFolder + QStringLiteral("/tie.dat"));
    f.writeBytes("a", "k", "v");
    QString error;
    QVERIFY(!f.save(&error));
    QVERIFY(error.contains(QStringLiteral("tie.dat")));
    QVERIFY(f.hasPendingWrites());

    // The settings file cannot be replaced (immutable): the old bytes stay whole.
    const QString path = dir.filePath(kSettingsFile);
    writeFile(path, windowsStore());
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) != 0)
        QSKIP("chattr +i is not available here");
    ProfileFile g2(path);
    QVERIFY(g2.load());
    g2.write(kInitSection, kNoteCount, QStringLiteral("9"));
    error.clear();
    const bool saved = g2.save(&error);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), windowsStore());
}

void TstProfileFile::hostileFilesReadWithoutHarm_data() {
    QTest::addColumn<QByteArray>("bytes");
    QRandomGenerator rng(42);
    QByteArray noise(4 * 1024 * 1024, Qt::Uninitialized);
    for (char& c : noise)
        c = char(rng.bounded(256));
    QTest::newRow("binary noise") << noise;
    QTest::newRow("nul bytes") << QByteArray(1024 * 1024, '\0');
    QTest::newRow("invalid gbk") << QByteArray(
        "[\x81\x7F\xFF]\r\n\xFE=\x80\x81\r\n[s]\r\nk=\xCC\r\n");
    QTest::newRow("1 MB line") << "[s]\r\nk=" + QByteArray(1024 * 1024, 'v') + "\r\n" +
                                      QByteArray(1024 * 1024, '[');
    QTest::newRow("1 MB name") << "[" + QByteArray(1024 * 1024, 's') + "]\r\n" +
                                      QByteArray(1024 * 1024, 'k') + "=1\r\n";
    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "[" + g(noteSection(i)) + "]\r\nx=" + QByteArray::number(i) + "\r\n";
    QTest::newRow("100000 sections") << many;
    QByteArray brackets(2 * 1024 * 1024, '\n');
    for (qsizetype i = 0; i < brackets.size(); i += 4)
        brackets[i] = '[', brackets[i + 1] = ']';
    QTest::newRow("empty headers") << brackets;
}

void TstProfileFile::hostileFilesReadWithoutHarm() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(kSettingsFile);
    writeFile(path, bytes);
    const QDateTime modified = QFileInfo(path).lastModified();

    ProfileFile f(path);
    QVERIFY(f.load());
    for (int i = 1; i <= 50; ++i) {
        // Every key reads as something no longer than a read allows.
        QVERIFY(f.readBytes(g(noteSection(i)), g(kWidth), "3345").size() <= 255);
        QVERIFY(f.read(noteSection(i), QStringLiteral("x"), QStringLiteral("d")).size() <= 255);
    }
    QCOMPARE(f.read(kInitSection, kNoteCount, QStringLiteral("0")), QStringLiteral("0"));
    QCOMPARE(f.readBytes("s", "k", "").size() <= 255, true);

    // Reading never writes; an untouched save would write the same bytes.
    QCOMPARE(readFile(path), bytes);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    QCOMPARE(f.serialize(), bytes);
}

QTEST_GUILESS_MAIN(TstProfileFile)
#include "tst_profilefile.moc"
