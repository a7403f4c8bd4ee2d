#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "sandbox.h"

#include "app/form2.h"
#include "note/createnote.h"
#include "note/form1.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "text/gbk.h"
#include "richtext/richtextbox.h"
#include "platform/screen.h"
#include "store/notestore.h"
#include "store/profilefile.h"
#include "store/storekeys.h"

using namespace store::keys;

namespace {

QByteArray g(const QString& s) {
    return gbk::encode(s);
}

struct Key {
    QString name;
    QString value;
};

// A section the way the Windows program writes it.
QByteArray section(int n, const QList<Key>& keys) {
    QByteArray out = "[" + g(noteSection(n)) + "]\r\n";
    for (const Key& k : keys)
        out += g(k.name) + "=" + g(k.value) + "\r\n";
    return out;
}

QByteArray initSection(const QString& count, const QString& onTop = QStringLiteral("False")) {
    return "[" + g(kInitSection) + "]\r\n" + g(kNoteCount) + "=" + g(count) + "\r\n" +
           g(kNotesOnTop) + "=" + g(onTop) + "\r\n" + g(kReminderSound) + "=False\r\n" +
           g(kAutoStart) + "=False\r\n";
}

// RichEdit content: GBK text as \'xx pairs.
QByteArray richEditContent(const QString& text) {
    QByteArray hex;
    for (char c : g(text)) {
        const auto b = static_cast<unsigned char>(c);
        hex += b < 0x80 ? QByteArray(1, c) : "\\'" + QByteArray::number(b, 16);
    }
    return "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{"
           "\\f0\\fnil\\fcharset134 "
           "\\'cb\\'ce\\'cc\\'e5;}}\r\n\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs18 " +
           hex + "\\par\r\n}\r\n";
}

QList<Key> fullNote(const QString& left, const QString& top) {
    return {{kReminder, QStringLiteral("2026年12月7日*09:30**05")},
            {kSoundPath, QStringLiteral("C:\\Program Files\\Jotpin\\kvz.mid")},
            {kBackColor, QStringLiteral("8454143")},
            {kCreated, QStringLiteral("26/12/07 9:5:3")},
            {kWidth, QStringLiteral("4500")},
            {kHeight, QStringLiteral("3000")},
            {kAlarmOn, QStringLiteral("True")},
            {kLeft, left},
            {kTop, top},
            {kOpacity, QStringLiteral("180")},
            {kVisible, QStringLiteral("True")},
            {kLock, kNoPassword},
            {kRestoreHeight, QStringLiteral("638")}};
}

QList<Key> with(QList<Key> keys, const QString& name, const QString& value) {
    for (Key& k : keys) {
        if (k.name == name) k.value = value;
    }
    return keys;
}

Form1* note(int index) {
    return qobject_cast<Form1*>(Forms::item(index));
}

}  // namespace

class TstNoteStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void loadsAStoreWrittenOnWindows();
    void firstStartMakesOneNoteAtTheRightEdge_data();
    void firstStartMakesOneNoteAtTheRightEdge();
    void negativeCountMakesNoNote();
    void missingSectionGivesDefaults();
    void oddValuesAreSkippedOrMadeSafe();
    void loadSaveLoadKeepsEveryValue();
    void saveAfterDeletingKeepsHigherSectionsAndFiles();
    void saveCreatesTheContentFolder();
    void unwritableContentIsReportedAndTheRestWritten();

private:
    void writeStore(const QByteArray& settings, const QMap<int, QByteArray>& contents = {});
    void load();
    void save(QStringList* errors = nullptr);
    QString readKey(const QString& sectionName, const QString& key) const;

    QTemporaryDir* m_dir = nullptr;
    Form2* m_main = nullptr;
    FixedClock m_clock{QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0))};
};

void TstNoteStore::init() {
    m_dir = new QTemporaryDir();
    App::overridePaths(m_dir->path(), QStringLiteral("jotpin"));
    Clock::install(&m_clock);
    m_main = new Form2();
    NoteCounter = 0;
}

void TstNoteStore::cleanup() {
    Forms::unloadFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Clock::install(nullptr);
    g_sandbox.restore();
    delete m_dir;
}

void TstNoteStore::writeStore(const QByteArray& settings, const QMap<int, QByteArray>& contents) {
    QFile f(m_dir->filePath(kSettingsFile));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(settings);
    f.close();
    QDir().mkpath(m_dir->filePath(kContentFolder));
    for (auto it = contents.begin(); it != contents.end(); ++it) {
        QFile c(m_dir->filePath(kContentFolder + u'/' + contentFileName(it.key())));
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write(it.value());
    }
}

void TstNoteStore::load() {
    m_main->Form_Load();
}

void TstNoteStore::save(QStringList* errors) {
    QStringList local;
    const bool ok = SaveAllNotes(*m_main, errors ? errors : &local);
    if (!errors) QVERIFY2(ok, qPrintable(local.join(u'\n')));
}

QString TstNoteStore::readKey(const QString& sectionName, const QString& key) const {
    store::ProfileFile f(m_dir->filePath(kSettingsFile));
    f.load();
    return f.read(sectionName, key, QStringLiteral("<missing>"));
}

void TstNoteStore::loadsAStoreWrittenOnWindows() {
    QByteArray s;
    s += section(1, fullNote(QStringLiteral("1500"), QStringLiteral("750")));
    s += section(2, with(with(fullNote(QStringLiteral("6000"), QStringLiteral("750")), kLock,
                              QStringLiteral("a*b*c")),
                         kRestoreHeight, QStringLiteral("2400")));
    s += section(3, with(fullNote(QStringLiteral("9000"), QStringLiteral("750")), kVisible,
                         QStringLiteral("False")));
    s += initSection(QStringLiteral("3"), QStringLiteral("True"));
    writeStore(s, {{1, richEditContent(QStringLiteral("第一张帖子"))},
                   {2, richEditContent(QStringLiteral("秘密内容"))}});
    load();

    QCOMPARE(Forms::Count(), 4);
    QVERIFY(m_main->tiezizaiqian->isChecked());
    QVERIFY(!m_main->tixing->isChecked());
    QVERIFY(!m_main->zidongyunxing->isChecked());

    Form1* n1 = note(1);
    QCOMPARE(n1->Tag(), QStringLiteral("1"));
    QCOMPARE(n1->geometry(), QRect(100, 50, 300, 200));
    QCOMPARE(n1->BackColor(), QColor(255, 0xFF, 128));  // 8454143 = &H80FFFF
    QCOMPARE(n1->RichTextBox1->BackColor(), n1->BackColor());
    QCOMPARE(n1->RichTextBox1->Tag(), QStringLiteral("26/12/07 9:5:3"));
    QVERIFY(n1->Image3->Visible());
    QCOMPARE(n1->Image3->Tag(), QStringLiteral("2026年12月7日*09:30**05"));
    QVERIFY(n1->Timer1.Enabled);
    QCOMPARE(n1->Timer1.Tag, QStringLiteral("-99"));
    QCOMPARE(n1->Image5->Tag(), QStringLiteral("C:\\Program Files\\Jotpin\\kvz.mid"));
    QCOMPARE(n1->Image1->Tag(), QStringLiteral("180"));
    QCOMPARE(qRound(n1->windowOpacity() * 255), 180);
    QVERIFY(n1->isVisible());
    QVERIFY(!n1->isLocked());
    QCOMPARE(n1->RichTextBox1->Text(), QStringLiteral("第一张帖子"));

    Form1* n2 = note(2);
    QVERIFY(n2->isLocked());
    QCOMPARE(n2->Image4->Tag(), QStringLiteral("abc"));
    QVERIFY(n2->RichTextBox1->isHidden());
    QVERIFY(!n2->Image1->isEnabled());
    QVERIFY(!n2->Image2->isEnabled());
    QCOMPARE(n2->Image2->Tag(), QStringLiteral("2400"));
    QTRY_COMPARE(n2->Height(), 638);
    // The hidden text is loaded all the same.
    QCOMPARE(n2->RichTextBox1->Text(), QStringLiteral("秘密内容"));

    Form1* n3 = note(3);
    QVERIFY(!n3->isVisible());
    // No content file: the note keeps its creation text.
    QCOMPARE(n3->RichTextBox1->Text(), QStringLiteral("创建：26/12/07 10:0:0\r\n"));
}

void TstNoteStore::firstStartMakesOneNoteAtTheRightEdge_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("zero") << initSection(QStringLiteral("0"));
    QTest::newRow("not a number") << initSection(QStringLiteral("abc"));
}

void TstNoteStore::firstStartMakesOneNoteAtTheRightEdge() {
    QFETCH(QByteArray, settings);
    if (!settings.isEmpty()) writeStore(settings);
    load();
    QCOMPARE(Forms::Count(), 2);
    Form1* n = note(1);
    QVERIFY(n->isVisible());
    QCOMPARE(n->Left(), Screen::Width() - n->Width());
    QCOMPARE(n->Top(), 405);
    // Reading never writes.
    QCOMPARE(QFile::exists(m_dir->filePath(kSettingsFile)), !settings.isEmpty());
}

void TstNoteStore::negativeCountMakesNoNote() {
    writeStore(initSection(QStringLiteral("-3")));
    load();
    QCOMPARE(Forms::Count(), 1);
    save();
    QCOMPARE(readKey(kInitSection, kNoteCount), QStringLiteral("0"));
}

void TstNoteStore::missingSectionGivesDefaults() {
    writeStore(section(1, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
                   section(3, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
                   initSection(QStringLiteral("3")),
               {{2, richEditContent(QStringLiteral("二"))}});
    load();
    QCOMPARE(Forms::Count(), 4);
    Form1* n2 = note(2);
    QCOMPARE(n2->Width(), 3345);
    QCOMPARE(n2->Height(), 638);
    QCOMPARE(n2->Left(), 0);
    QCOMPARE(n2->Top(), 0);
    QCOMPARE(n2->BackColor(), QColor(192, 192, 255));
    QCOMPARE(n2->Image1->Tag(), QStringLiteral("255"));
    QVERIFY(!n2->isLocked());
    QVERIFY(n2->isVisible());
    QVERIFY(!n2->Image3->Visible());
    QCOMPARE(n2->Image5->Tag(), App::Path() + QStringLiteral("/kvz.mid"));
    QCOMPARE(n2->RichTextBox1->Text(), QStringLiteral("二"));
}

void TstNoteStore::oddValuesAreSkippedOrMadeSafe() {
    auto keys = fullNote(QStringLiteral("99999"), QStringLiteral("-300"));
    keys = with(keys, kWidth, QStringLiteral("40000"));    // out of range: design width stays
    keys = with(keys, kHeight, QStringLiteral("2000.5"));  // half to even
    keys = with(keys, kOpacity, QStringLiteral("1000"));   // first three characters: 100
    keys = with(keys, kAlarmOn, QStringLiteral("maybe"));  // no Boolean: stays off
    keys = with(keys, kBackColor, QStringLiteral("-1"));   // no colour: design colour
    keys = with(keys, kSoundPath, QStringLiteral("/home/john.doe/.sounds/bell.mid"));
    QByteArray s = section(1, keys);
    s += section(2, with(with(fullNote(QStringLiteral("0"), QStringLiteral("0")), kOpacity,
                              QStringLiteral("300")),
                         kSoundPath, QStringLiteral("D:\\My.Sounds\\ring.wav")));
    s += section(3, with(with(fullNote(QStringLiteral("0"), QStringLiteral("0")), kOpacity,
                              QStringLiteral("x")),
                         kLock, QString()));
    s += section(4, with(with(fullNote(QStringLiteral("0"), QStringLiteral("0")), kLock,
                              QStringLiteral("无密码不是密码")),
                         kSoundPath, QStringLiteral("/sounds/bell")));
    writeStore(s + initSection(QStringLiteral("4")));
    load();

    Form1* n1 = note(1);
    QCOMPARE(n1->Width(), 3345);
    QCOMPARE(n1->Height(), 2000);
    QCOMPARE(n1->Left(), 11235);  // 99999 is no 16-bit number
    QCOMPARE(n1->Top(), -300);
    QCOMPARE(n1->Image1->Tag(), QStringLiteral("100"));
    QVERIFY(!n1->Image3->Visible());
    QCOMPARE(n1->BackColor(), Form1::kDesignColor);
    // Dots in folder names do not cut the path.
    QCOMPARE(n1->Image5->Tag(), QStringLiteral("/home/john.doe/.sounds/bell.mid"));

    QCOMPARE(note(2)->Image1->Tag(), QStringLiteral("255"));
    QCOMPARE(note(2)->windowOpacity(), 1.0);
    QCOMPARE(note(2)->Image5->Tag(), QStringLiteral("D:\\My.Sounds\\ring.wav"));
    QCOMPARE(note(3)->Image1->Tag(), QStringLiteral("255"));
    // An empty password still locks the note.
    QVERIFY(note(3)->isLocked());
    QCOMPARE(note(3)->Image4->Tag(), QString());
    QVERIFY(!note(4)->isLocked());
    // A file name without extension is cut as before: after the first dot and three more.
    QCOMPARE(note(4)->Image5->Tag(), QStringLiteral("/so"));
}

void TstNoteStore::loadSaveLoadKeepsEveryValue() {
    QByteArray s;
    s += section(1, fullNote(QStringLiteral("1500"), QStringLiteral("-750")));
    // A locked note is as high as its title strip; its height to restore is kept apart.
    s += section(2, with(with(with(fullNote(QStringLiteral("6000"), QStringLiteral("750")), kLock,
                                   QStringLiteral("pw")),
                              kRestoreHeight, QStringLiteral("2400")),
                         kHeight, QStringLiteral("638")));
    s += section(3, with(with(fullNote(QStringLiteral("7"), QStringLiteral("8")), kVisible,
                              QStringLiteral("False")),
                         kHeight, QStringLiteral("638")));
    s += section(4, with(fullNote(QStringLiteral("0"), QStringLiteral("0")), kAlarmOn,
                         QStringLiteral("False")));
    const QByteArray settings = s + initSection(QStringLiteral("4"), QStringLiteral("True"));
    writeStore(settings, {{1, richEditContent(QStringLiteral("一"))},
                          {2, richEditContent(QStringLiteral("二"))},
                          {3, richEditContent(QStringLiteral("三"))},
                          {4, richEditContent(QStringLiteral("四"))}});
    load();
    save();
    // Every key of every section reads back as it was written on Windows; the settings file
    // is replaced in place, keeping its lines.
    store::ProfileFile before;
    before.setContent(settings);
    const QList<QString> noteKeys = {kReminder, kSoundPath, kBackColor,    kCreated, kWidth,
                                     kHeight,   kAlarmOn,   kLeft,         kTop,     kOpacity,
                                     kVisible,  kLock,      kRestoreHeight};
    for (int n = 1; n <= 4; ++n) {
        for (const QString& key : noteKeys)
            QCOMPARE(readKey(noteSection(n), key), before.read(noteSection(n), key));
    }
    for (const QString& key : {kNoteCount, kNotesOnTop, kReminderSound, kAutoStart})
        QCOMPARE(readKey(kInitSection, key), before.read(kInitSection, key));

    Forms::unloadFrom(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    NoteCounter = 0;
    load();
    QCOMPARE(Forms::Count(), 5);
    const QStringList texts = {"一", "二", "三", "四"};
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(note(n)->RichTextBox1->Text(), texts[n - 1]);
    QVERIFY(note(2)->isLocked());
    QVERIFY(!note(3)->isVisible());
}

void TstNoteStore::saveAfterDeletingKeepsHigherSectionsAndFiles() {
    QByteArray s;
    for (int n = 1; n <= 5; ++n)
        s += section(n, with(fullNote(QString::number(n * 150), QStringLiteral("0")), kCreated,
                             QStringLiteral("note %1").arg(n)));
    QMap<int, QByteArray> contents;
    for (int n = 1; n <= 5; ++n)
        contents[n] = richEditContent(QStringLiteral("内容%1").arg(n));
    writeStore(s + initSection(QStringLiteral("5")), contents);
    load();
    note(3)->Unload();
    save();

    QCOMPARE(readKey(kInitSection, kNoteCount), QStringLiteral("4"));
    const QStringList created = {"note 1", "note 2", "note 4", "note 5"};
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(readKey(noteSection(n), kCreated), created[n - 1]);
    // Section 5 and tie5.tie stay as the earlier save left them.
    QCOMPARE(readKey(noteSection(5), kCreated), QStringLiteral("note 5"));
    QFile five(m_dir->filePath(QStringLiteral("tie/tie5.tie")));
    QVERIFY(five.open(QIODevice::ReadOnly));
    QCOMPARE(five.readAll(), contents[5]);
    QFile three(m_dir->filePath(QStringLiteral("tie/tie3.tie")));
    QVERIFY(three.open(QIODevice::ReadOnly));
    QVERIFY(three.readAll() != contents[3]);  // now holds the former note 4
}

void TstNoteStore::saveCreatesTheContentFolder() {
    load();
    note(1)->RichTextBox1->setText(QStringLiteral("新的"));
    save();
    QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("tie/tie1.tie"))).isFile());
    QCOMPARE(readKey(noteSection(1), kVisible), QStringLiteral("True"));
    QCOMPARE(readKey(noteSection(1), kLock), kNoPassword);
    QCOMPARE(readKey(kInitSection, kAutoStart), QStringLiteral("True"));
}

void TstNoteStore::unwritableContentIsReportedAndTheRestWritten() {
    load();
    // The content folder is a plain file: no content file can be written, even as root.
    QFile blocker(m_dir->filePath(kContentFolder));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QStringList errors;
    QVERIFY(!SaveAllNotes(*m_main, &errors));
    QVERIFY(errors.join(u'\n').contains(QStringLiteral("tie")));
    QCOMPARE(readKey(kInitSection, kNoteCount), QStringLiteral("1"));
    QCOMPARE(readKey(noteSection(1), kWidth), QStringLiteral("3345"));
}

QTEST_MAIN(TstNoteStore)
#include "tst_notestore.moc"
