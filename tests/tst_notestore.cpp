#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "programfixture.h"

#include "platform/files.h"
#include "store/savejournal.h"
#include "store/snapshots.h"
#include "store/values.h"

#include "desktop/screen.h"
#include "desktop/windowops.h"
#include "model/noteuid.h"
#include "note/framecontrols.h"
#include "notes/checklist.h"
#include "richtext/richtextbox.h"
#include "store/profilefile.h"
#include "text/gbk.h"
#include "text/links.h"

using namespace store::keys;

namespace {

QByteArray g(const QString& s) {
    return gbk::encode(s);
}

struct Key {
    QString name;
    QString value;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

// Takes the real steps up to a limit and refuses every one after it, as a crash there would.
class CrashingSteps : public files::Steps {
public:
    explicit CrashingSteps(int limit) : m_limit(limit) {}
    bool writeDurably(const QString& path, QByteArrayView bytes, QString* error) override {
        return step() && Steps::writeDurably(path, bytes, error);
    }
    bool replace(const QString& path, QByteArrayView bytes, QString* error) override {
        return step() && Steps::replace(path, bytes, error);
    }
    bool rename(const QString& from, const QString& to, QString* error) override {
        return step() && Steps::rename(from, to, error);
    }
    bool remove(const QString& path) override { return step() && Steps::remove(path); }
    void syncFolder(const QString& path) override {
        if (step()) Steps::syncFolder(path);
    }

private:
    bool step() { return ++m_taken <= m_limit; }
    int m_limit;
    int m_taken = 0;
};

// Each note of a store as the next start sees it: its colour, its lock and its file's bytes.
QStringList storedNotes(const QString& dir) {
    QStringList seen;
    const store::LoadedStore loaded = store::loadStore(dir, Switches{});
    if (loaded.unreadable) return {QStringLiteral("unreadable")};
    for (const store::StoredNote& stored : loaded.notes) {
        const store::Content content = store::readContent(dir, stored.section, nullptr);
        seen.append(QStringLiteral("%1 %2 %3")
                        .arg(stored.note.colour.name(), stored.note.password,
                             QString::fromLatin1(content.rtf.toBase64())));
    }
    return seen;
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
    void listsLinksAndPicturesOutliveTheWindowsProgram();
    void identitiesHoldOnlyBesideTheirCreationTime();
    void stagedFilesOfOtherMachinesAreTheirs();
    void saveAfterDeletingKeepsHigherSectionsAndFiles();
    void saveCreatesTheContentFolder();
    void unwritableContentIsReportedAndTheRestWritten();
    void failedSavesAreToldOnceAndRetried();
    void onlyWhatChangedIsWritten();
    void unreadStoreIsNeverWrittenOver_data();
    void unreadStoreIsNeverWrittenOver();
    void impossibleCountLoadsTheSectionsThere_data();
    void impossibleCountLoadsTheSectionsThere();
    void countStopsAtTheLastTraceOfANote();
    void contentThatIsNoRtf();
    void fullDiskKeepsTheOldStore();
    void crashAtAnyStepOfASaveLeavesTheOldOrTheNewStore();
    void snapshotsKeepTheContentsOfLinkedFiles();
    void journalsNotOfThisMachinesSavesAreSetAside();
    void linksOutOfTheStoreAreNeverReadNorWrittenThrough();

private:
    void writeStore(const QByteArray& settings, const QMap<int, QByteArray>& contents = {}) {
        f.writeStore(settings, contents);
    }
    void load() { f.program->startUp(); }
    void save() {
        QStringList errors;
        QVERIFY2(f.program->saveAll(&errors, Application::SaveScope::All),
                 qPrintable(errors.join(u'\n')));
    }
    QString readKey(const QString& sectionName, const QString& key) const {
        return f.storedValue(sectionName, key);
    }
    store::LoadedStore loadValues() const { return store::loadStore(f.storeDir(), Switches{}); }
    NoteWindow* note(int index) const { return f.note(index); }

    ProgramFixture f;
};

void TstNoteStore::init() {
    f.setUp();
}

void TstNoteStore::cleanup() {
    f.tearDown();
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

    QCOMPARE(f.noteCount(), 3);
    QVERIFY(f.program->switches().notesOnTop());
    QVERIFY(!f.program->switches().reminderSound());
    QVERIFY(!f.program->switches().startWithSession());

    NoteWindow* n1 = note(1);
    QCOMPARE(n1->geometry(), QRect(100, 50, 300, 200));
    QCOMPARE(n1->note().colour, QColor(255, 0xFF, 128));  // 8454143 = &H80FFFF
    QCOMPARE(n1->editor()->palette().color(QPalette::Base), n1->note().colour);
    QCOMPARE(n1->note().created, QStringLiteral("26/12/07 9:5:3"));
    QVERIFY(n1->alarmIcon()->isVisible());
    QCOMPARE(store::fromReminder(n1->note().reminder), QStringLiteral("2026年12月7日*09:30**05"));
    QVERIFY(n1->entry().checksReminder());
    QCOMPARE(n1->entry().lastAlarmMinute(), -99);
    QCOMPARE(n1->note().soundPath, QStringLiteral("C:\\Program Files\\Jotpin\\kvz.mid"));
    QCOMPARE(n1->note().opacity, 180);
    QCOMPARE(qRound(n1->windowOpacity() * 255), 180);
    QVERIFY(n1->isVisible());
    QVERIFY(!n1->isLocked());
    QCOMPARE(n1->editor()->text(), QStringLiteral("第一张帖子"));

    NoteWindow* n2 = note(2);
    QVERIFY(n2->isLocked());
    QCOMPARE(n2->note().password, QStringLiteral("abc"));
    QVERIFY(n2->editor()->isHidden());
    QVERIFY(n2->unlockButton()->isVisible());
    QVERIFY(!n2->deleteButton()->isEnabled());
    QVERIFY(!n2->menuButton()->isEnabled());
    QCOMPARE(n2->note().heightBeforeLock, std::optional<qint32>(2400));
    QTRY_COMPARE(n2->note().height, 638);
    // The hidden text is loaded all the same.
    QCOMPARE(n2->editor()->text(), QStringLiteral("秘密内容"));

    // The hidden note has no window, and its reminder rings all the same.
    const NoteEntry* hidden = f.program->noteList().entries().at(2);
    QCOMPARE(f.program->windows().notes().size(), 2);
    QVERIFY(!hidden->values().visible);
    // No content file: the note keeps its creation text.
    QCOMPARE(hidden->document()->text(), QStringLiteral("创建：26/12/07 10:0:0\r\n"));
    f.program->ticks().tick(QDateTime(QDate(2026, 12, 7), QTime(9, 30)), true);
    QCOMPARE(f.program->windows().notes().size(), 3);
    NoteWindow* n3 = note(3);
    QVERIFY(n3->isVisible());
    QVERIFY(windowops::isTopmost(n3));
    QCOMPARE(n3->editor()->text(), QStringLiteral("创建：26/12/07 10:0:0\r\n"));
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
    QCOMPARE(f.noteCount(), 1);
    NoteWindow* n = note(1);
    QVERIFY(n->isVisible());
    QCOMPARE(n->note().left, screen::widthTwips() - n->note().width);
    QCOMPARE(n->note().top, 405);
    // Reading never writes.
    QCOMPARE(QFile::exists(f.settingsFile()), !settings.isEmpty());
}

void TstNoteStore::negativeCountMakesNoNote() {
    writeStore(initSection(QStringLiteral("-3")));
    load();
    QCOMPARE(f.noteCount(), 0);
    save();
    QCOMPARE(readKey(kInitSection, kNoteCount), QStringLiteral("0"));
}

void TstNoteStore::missingSectionGivesDefaults() {
    writeStore(section(1, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
               section(3, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
               initSection(QStringLiteral("3")));
    const store::LoadedStore loaded = loadValues();
    QCOMPARE(loaded.notes.size(), 3);
    const Note& n2 = loaded.notes[1].note;
    QCOMPARE(n2.width, 3345);
    QCOMPARE(n2.height, 638);
    QCOMPARE(n2.left, 0);
    QCOMPARE(n2.top, 0);
    QCOMPARE(n2.colour, QColor(192, 192, 255));
    QCOMPARE(n2.opacity, 255);
    QVERIFY(!n2.locked);
    QVERIFY(n2.visible);
    QVERIFY(!n2.reminderOn);
    QCOMPARE(n2.soundPath, paths::programDir() + QStringLiteral("/kvz.mid"));
    QVERIFY(n2.created.isEmpty());  // the note shown gets the time of reading
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
    s += section(5, fullNote(QStringLiteral("4294967296"), QStringLiteral("x")));
    writeStore(s + initSection(QStringLiteral("5")));
    QList<Note> notes;
    for (const store::StoredNote& stored : loadValues().notes)
        notes.append(stored.note);

    QCOMPARE(notes[0].width, 3345);
    QCOMPARE(notes[0].height, 2000);
    QCOMPARE(notes[0].left, 99999);  // a place on a second screen, beyond 16 bits
    QCOMPARE(notes[0].top, -300);
    QCOMPARE(notes[0].opacity, 100);
    QVERIFY(!notes[0].reminderOn);
    QCOMPARE(notes[0].colour, Note::kDesignColour);
    // Dots in folder names do not cut the path.
    QCOMPARE(notes[0].soundPath, QStringLiteral("/home/john.doe/.sounds/bell.mid"));

    QCOMPARE(notes[1].opacity, 255);
    QCOMPARE(notes[1].soundPath, QStringLiteral("D:\\My.Sounds\\ring.wav"));
    QCOMPARE(notes[2].opacity, 255);
    // An empty password still locks the note.
    QVERIFY(notes[2].locked);
    QCOMPARE(notes[2].password, QString());
    QVERIFY(!notes[3].locked);
    // A file name without extension is cut as before: after the first dot and three more.
    QCOMPARE(notes[3].soundPath, QStringLiteral("/so"));
    // Beyond 32 bits, or no number: the design place stays.
    QCOMPARE(notes[4].left, 11235);
    QCOMPARE(notes[4].top, 405);

    // An opacity that is not applied leaves the window opaque.
    load();
    QCOMPARE(note(2)->windowOpacity(), 1.0);
    QCOMPARE(qRound(note(1)->windowOpacity() * 255), 100);
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

    f.restart();
    load();
    QCOMPARE(f.noteCount(), 4);
    const QStringList texts = {"一", "二", "三", "四"};
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(note(n)->editor()->text(), texts[n - 1]);
    QVERIFY(note(2)->isLocked());
    QVERIFY(!note(3)->isVisible());
}

void TstNoteStore::listsLinksAndPicturesOutliveTheWindowsProgram() {
    writeStore(section(1, fullNote(QStringLiteral("1500"), QStringLiteral("750"))) +
               initSection(QStringLiteral("1")));
    load();
    RichTextBox* editor = note(1)->editor();
    editor->replaceText(QStringLiteral("☑ 买牛奶\r\n☐ 交电费 https://example.org/a?b=1\r\n"));
    editor->moveCursor(QTextCursor::End);
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(QColor(0, 128, 255, 100));
    QGuiApplication::clipboard()->setImage(picture);
    editor->paste();
    save();

    // The Windows program at its exit: every key it knows written back with the profile
    // functions, in place; the content files left as they are.
    const QByteArray content = fileBytes(f.contentFile(1));
    store::ProfileFile windows(f.settingsFile());
    QVERIFY(windows.load());
    for (const QString& key : {kReminder, kSoundPath, kBackColor, kCreated, kWidth, kHeight,
                               kAlarmOn, kLeft, kTop, kOpacity, kVisible, kLock, kRestoreHeight})
        windows.write(noteSection(1), key, windows.read(noteSection(1), key));
    windows.write(kInitSection, kNoteCount, QStringLiteral("1"));
    QVERIFY(windows.save());

    f.restart();
    load();
    editor = note(1)->editor();
    const QTextBlock first = editor->document()->firstBlock();
    QCOMPARE(checklist::itemOf(first), checklist::Item::Ticked);
    QCOMPARE(checklist::itemOf(first.next()), checklist::Item::Open);
    const QList<links::Link> found = links::in(first.next().text());
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].url, QUrl(QStringLiteral("https://example.org/a?b=1")));
    QTextCursor at(first.next().next());
    at.movePosition(QTextCursor::NextCharacter);
    const QTextImageFormat shown = at.charFormat().toImageFormat();
    QVERIFY(shown.isValid());
    const QVariant image =
        editor->document()->resource(QTextDocument::ImageResource, QUrl(shown.name()));
    QCOMPARE(image.value<QImage>().convertToFormat(QImage::Format_ARGB32), picture);
    save();
    QCOMPARE(fileBytes(f.contentFile(1)), content);  // nothing to write: nothing changed
}

void TstNoteStore::identitiesHoldOnlyBesideTheirCreationTime() {
    const QString mine = QStringLiteral("0123456789abcdef");
    // Note 2 with its identity; note 3 under one the Windows program left there when it
    // renumbered the notes (another note's creation time); note 1 from a store without ours.
    const auto note = [](const QString& created, const QString& uid) {
        QList<Key> keys =
            with(fullNote(QStringLiteral("0"), QStringLiteral("0")), kCreated, created);
        if (!uid.isEmpty()) keys.append({kUid, uid});
        return keys;
    };
    writeStore(section(1, note(QStringLiteral("26/12/07 9:5:1"), {})) +
               section(2, note(QStringLiteral("26/12/07 9:5:2"),
                               mine + QStringLiteral(" 26/12/07 9:5:2"))) +
               section(3, note(QStringLiteral("26/12/07 9:5:3"),
                               QStringLiteral("fedcba9876543210 26/12/07 9:5:9"))) +
               initSection(QStringLiteral("3")));
    const store::LoadedStore first = loadValues();
    QCOMPARE(first.notes.size(), 3);
    QCOMPARE(first.notes[1].note.uid, mine);
    QSet<QString> uids;
    for (const store::StoredNote& stored : first.notes) {
        QVERIFY(noteuid::isValid(stored.note.uid));
        uids.insert(stored.note.uid);
    }
    QCOMPARE(uids.size(), 3);
    QVERIFY(!uids.contains(QStringLiteral("fedcba9876543210")));
    // Another machine reading the same store knows the notes by the same identities.
    const store::LoadedStore second = loadValues();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(second.notes[i].note.uid, first.notes[i].note.uid);
    // Written beside the creation time, which the Windows program keeps in step.
    load();
    f.note(1)->editor()->insertPlainText(QStringLiteral("x"));
    save();
    QCOMPARE(readKey(noteSection(2), kUid), mine + QStringLiteral(" 26/12/07 9:5:2"));
    QCOMPARE(readKey(noteSection(3), kUid),
             first.notes[2].note.uid + QStringLiteral(" 26/12/07 9:5:3"));
}

void TstNoteStore::stagedFilesOfOtherMachinesAreTheirs() {
    // A sync tool brings another machine's files staged in the middle of its save: removed here,
    // the removal would go back there before that save put them in place.
    writeStore(section(1, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
                   initSection(QStringLiteral("1")),
               {{1, richEditContent(QStringLiteral("一"))}});
    const QString content = f.contentFile(1);
    const QString ours = store::stagedPath(content);
    const QString theirs = content + QStringLiteral(".0badc0de.saving");
    const QString olderFresh = f.settingsFile() + QStringLiteral(".saving");
    const QString olderStale = content + QStringLiteral(".saving");
    for (const QString& path : {ours, theirs, olderFresh, olderStale}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("staged") == 6);
        file.flush();
        if (path == olderStale)
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-2 * 3600),
                                     QFileDevice::FileModificationTime));
    }
    QVERIFY(!loadValues().unreadable);
    QVERIFY(!QFileInfo::exists(ours));
    QVERIFY(QFileInfo::exists(theirs));
    QVERIFY(QFileInfo::exists(olderFresh));  // an older Jotpin's, maybe still saving
    QVERIFY(!QFileInfo::exists(olderStale));
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
    f.program->windows().close(note(3));
    save();

    QCOMPARE(readKey(kInitSection, kNoteCount), QStringLiteral("4"));
    const QStringList created = {"note 1", "note 2", "note 4", "note 5"};
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(readKey(noteSection(n), kCreated), created[n - 1]);
    // Section 5 and tie5.tie stay as the earlier save left them.
    QCOMPARE(readKey(noteSection(5), kCreated), QStringLiteral("note 5"));
    QFile five(f.contentFile(5));
    QVERIFY(five.open(QIODevice::ReadOnly));
    QCOMPARE(five.readAll(), contents[5]);
    QFile three(f.contentFile(3));
    QVERIFY(three.open(QIODevice::ReadOnly));
    QVERIFY(three.readAll() != contents[3]);  // now holds the former note 4
}

void TstNoteStore::saveCreatesTheContentFolder() {
    load();
    note(1)->editor()->replaceText(QStringLiteral("新的"));
    save();
    QVERIFY(QFileInfo(f.contentFile(1)).isFile());
    QCOMPARE(readKey(noteSection(1), kVisible), QStringLiteral("True"));
    QCOMPARE(readKey(noteSection(1), kLock), kNoPassword);
    QCOMPARE(readKey(kInitSection, kAutoStart), QStringLiteral("True"));
}

void TstNoteStore::unwritableContentIsReportedAndTheRestWritten() {
    load();
    // The content folder is a plain file: no content file can be written, even as root.
    QFile blocker(f.storeDir() + u'/' + kContentFolder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QStringList errors;
    QVERIFY(!f.program->saveAll(&errors));
    QVERIFY(errors.join(u'\n').contains(QStringLiteral("tie")));
    QCOMPARE(readKey(kInitSection, kNoteCount), QStringLiteral("1"));
    QCOMPARE(readKey(noteSection(1), kWidth), QStringLiteral("3345"));
}

void TstNoteStore::onlyWhatChangedIsWritten() {
    // Content as no Jotpin writes it: a file that was written again reads differently.
    const QByteArray settings = section(1, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
                                section(2, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
                                section(3, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
                                initSection(QStringLiteral("3"));
    const QMap<int, QByteArray> contents = {
        {1, "{\\rtf1 one\\par}"}, {2, "{\\rtf1 two\\par}"}, {3, "{\\rtf1 three\\par}"}};
    writeStore(settings, contents);
    auto fileOf = [&](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    load();
    // Nothing changed: nothing is written.
    QVERIFY(f.program->saveAll());
    QCOMPARE(fileOf(f.settingsFile()), settings);

    // A new place writes the settings file only; new text, that note's content file too.
    note(1)->setLeftTwips(1500);
    note(2)->editor()->replaceText(QStringLiteral("二"));
    QVERIFY(f.program->saveAll());
    QCOMPARE(readKey(noteSection(1), kLeft), QStringLiteral("1500"));
    QCOMPARE(fileOf(f.contentFile(1)), contents[1]);
    QVERIFY(fileOf(f.contentFile(2)).contains("\\u20108"));  // 二
    QCOMPARE(fileOf(f.contentFile(3)), contents[3]);

    // A closed note moves the later ones down a number: their files move along, unchanged.
    f.program->windows().close(note(1));
    QVERIFY(f.program->saveAll());
    QCOMPARE(readKey(kInitSection, kNoteCount), QStringLiteral("2"));
    QVERIFY(fileOf(f.contentFile(1)).contains("\\u20108"));
    QCOMPARE(fileOf(f.contentFile(2)), contents[3]);
}

void TstNoteStore::failedSavesAreToldOnceAndRetried() {
    load();
    QFile blocker(f.storeDir() + u'/' + kContentFolder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    note(1)->editor()->replaceText(QStringLiteral("要保存的"));
    // Autosave tries, fails, and tries again; the user hears of it once.
    QTRY_VERIFY(!f.tray.messages.isEmpty());
    QTest::qWait(ProgramFixture::kFastAutoSave.retryMs * 3);
    QCOMPARE(f.tray.messages.size(), 1);
    QVERIFY(f.tray.messages[0].contains(QStringLiteral("tie")));
    // Once the folder can be written again, the waiting change is saved without another edit.
    QVERIFY(QFile::remove(blocker.fileName()));
    QTRY_VERIFY(QFile::exists(f.contentFile(1)));
    QTRY_COMPARE(f.tray.messages.size(), 2);  // once the background save has ended
}

void TstNoteStore::unreadStoreIsNeverWrittenOver_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("noise") << "noise";
    QTest::newRow("folder") << "folder";
    QTest::newRow("over the size limit") << "large";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("fifo") << "fifo";
}

void TstNoteStore::unreadStoreIsNeverWrittenOver() {
    QFETCH(QString, kind);
    const QString path = f.settingsFile();
    writeStore({}, {{1, richEditContent(QStringLiteral("旧的"))}});
    QFile::remove(path);
    if (kind == QLatin1String("noise")) {
        QByteArray noise(4096, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 131 + 7) % 256);
        writeStore(noise);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("large")) {
        QFile large(path);
        QVERIFY(large.open(QIODevice::WriteOnly));
        QVERIFY(large.resize(store::ProfileFile::kMaxFileBytes + 1));  // sparse: no disk used
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else {
        QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {path}), 0);
    }
    const QFileInfo before(path);
    const qint64 sizeBefore = before.size();
    const QDateTime modifiedBefore = before.lastModified();

    QElapsedTimer timer;
    timer.start();
    load();
    QVERIFY(timer.elapsed() < 5000);  // a FIFO or a device must not hold the start
    QCOMPARE(f.noteCount(), 0);       // no first-start note over note 1
    QCOMPARE(f.tray.messages.size(), 1);
    QVERIFY(f.tray.messages[0].contains(path));

    f.program->newNote();
    QStringList errors;
    QVERIFY(!f.program->saveAll(&errors));
    const QFileInfo after(path);
    QCOMPARE(after.size(), sizeBefore);
    QCOMPARE(after.lastModified(), modifiedBefore);
    QCOMPARE(after.isSymLink(), kind == QLatin1String("zero"));
    QFile content(f.contentFile(1));
    QVERIFY(content.open(QIODevice::ReadOnly));
    QCOMPARE(content.readAll(), richEditContent(QStringLiteral("旧的")));
}

void TstNoteStore::impossibleCountLoadsTheSectionsThere_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<QList<int>>("sections");
    QTest::newRow("not a number") << "abc" << QList<int>{1, 2};
    QTest::newRow("negative") << "-3" << QList<int>{1, 2, 4};
    QTest::newRow("beyond every note") << "32767" << QList<int>{1, 2};
    QTest::newRow("missing") << QString() << QList<int>{2, 3};
}

void TstNoteStore::impossibleCountLoadsTheSectionsThere() {
    QFETCH(QString, count);
    QFETCH(QList<int>, sections);
    QByteArray s;
    QMap<int, QByteArray> contents;
    for (int n : sections) {
        s += section(n, with(fullNote(QString::number(n * 150), QStringLiteral("0")), kCreated,
                             QStringLiteral("note %1").arg(n)));
        contents[n] = richEditContent(QStringLiteral("内容%1").arg(n));
    }
    s += "[" + g(kInitSection) + "]\r\n";
    if (!count.isNull()) s += g(kNoteCount) + "=" + g(count) + "\r\n";
    writeStore(s, contents);
    load();
    QCOMPARE(f.noteCount(), sections.size());
    for (int i = 0; i < sections.size(); ++i) {
        QCOMPARE(note(i + 1)->note().created, QStringLiteral("note %1").arg(sections[i]));
        QCOMPARE(note(i + 1)->editor()->text(), QStringLiteral("内容%1").arg(sections[i]));
    }
}

void TstNoteStore::countStopsAtTheLastTraceOfANote() {
    // A legal count far beyond the notes there are: no thousands of empty windows.
    writeStore(
        section(1, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
            initSection(QStringLiteral("32767")),
        {{1, richEditContent(QStringLiteral("一"))}, {3, richEditContent(QStringLiteral("三"))}});
    load();
    QCOMPARE(f.noteCount(), 3);
    QCOMPARE(note(2)->note().width, 3345);  // no trace of its own: the defaults, as always
    QCOMPARE(note(3)->editor()->text(), QStringLiteral("三"));
}

void TstNoteStore::contentThatIsNoRtf() {
    QByteArray s;
    for (int n = 1; n <= 6; ++n)
        s += section(n, fullNote(QStringLiteral("0"), QStringLiteral("0")));
    const QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    writeStore(s + initSection(QStringLiteral("6")),
               {{3, binary},
                {4, QStringLiteral("第一行\n second line").toUtf8()},
                {5, g(QStringLiteral("旧的文本"))},
                {6, QByteArray()}});
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), f.contentFile(1)));
    QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {f.contentFile(2)}), 0);
    load();
    QCOMPARE(f.noteCount(), 6);

    // What cannot be read keeps the creation line, and the file moves aside, links as links.
    for (int n = 1; n <= 3; ++n) {
        QVERIFY(note(n)->editor()->text().startsWith(QStringLiteral("创建：")));
        QVERIFY(QFileInfo(f.contentFile(n) + QStringLiteral(".unreadable")).exists() ||
                QFileInfo(f.contentFile(n) + QStringLiteral(".unreadable")).isSymLink());
        QVERIFY(!QFileInfo(f.contentFile(n)).exists());
    }
    QVERIFY(QFileInfo(f.contentFile(1) + QStringLiteral(".unreadable")).isSymLink());
    QFile kept(f.contentFile(3) + QStringLiteral(".unreadable"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), binary);
    QCOMPARE(f.tray.messages.size(), 1);
    QVERIFY(f.tray.messages[0].contains(QStringLiteral(".unreadable")));

    // Plain text reads as text: UTF-8 when it is, GBK otherwise.
    QCOMPARE(note(4)->editor()->text(), QStringLiteral("第一行\r\n second line"));
    QCOMPARE(note(5)->editor()->text(), QStringLiteral("旧的文本"));
    QCOMPARE(note(6)->editor()->text(), QString());

    // The save writes plain files and leaves the kept ones alone.
    save();
    for (int n = 1; n <= 3; ++n)
        QVERIFY(QFileInfo(f.contentFile(n)).isFile());
    QVERIFY(QFileInfo(f.contentFile(1) + QStringLiteral(".unreadable")).isSymLink());
    QCOMPARE(QFileInfo(QStringLiteral("/dev/zero")).isFile(), false);
}

void TstNoteStore::fullDiskKeepsTheOldStore() {
    // A small disk of its own; mounting one takes root.
    QTemporaryDir mountPoint;
    if (QProcess::execute(
            QStringLiteral("mount"),
            {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
             QStringLiteral("size=256k"), QStringLiteral("tmpfs"), mountPoint.path()}) != 0)
        QSKIP("cannot mount a tmpfs here (needs root)");
    auto unmount =
        qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mountPoint.path()}); });
    paths::overrideStoreDir(mountPoint.path());
    auto restore = qScopeGuard([] { g_sandbox.restore(); });

    writeStore(section(1, fullNote(QStringLiteral("0"), QStringLiteral("0"))) +
                   initSection(QStringLiteral("1")),
               {{1, richEditContent(QStringLiteral("旧的"))}});
    const QByteArray settingsBefore = [&] {
        QFile file(f.settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    load();
    note(1)->editor()->replaceText(QString(300 * 1024, u'字'));  // more than the disk holds
    QStringList errors;
    QVERIFY(!f.program->saveAll(&errors));
    QVERIFY(!errors.isEmpty());
    QFile content(f.contentFile(1));
    QVERIFY(content.open(QIODevice::ReadOnly));
    QCOMPARE(content.readAll(), richEditContent(QStringLiteral("旧的")));
    QFile settings(f.settingsFile());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), settingsBefore);
    // No temporary file is left to fill the disk.
    QCOMPARE(QDir(mountPoint.path() + QStringLiteral("/tie")).entryList(QDir::Files).size(), 1);

    // With room again, the same save goes through.
    note(1)->editor()->replaceText(QStringLiteral("新的"));
    save();
    QVERIFY(readKey(noteSection(1), kWidth) == QStringLiteral("4500"));
    f.tearDown();  // the windows go before the disk does
}

void TstNoteStore::crashAtAnyStepOfASaveLeavesTheOldOrTheNewStore() {
    // Five notes, each with its own colour, the third locked; then the second and the last
    // deleted by their buttons and the first recoloured: the save moves the texts after the
    // second down a number and removes the last note's file.
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old"));
    const QString work = dir.filePath(QStringLiteral("work"));
    QList<QTextDocument*> texts;
    QList<store::NoteToSave> before;
    for (int n = 1; n <= 5; ++n) {
        texts.append(new QTextDocument(QStringLiteral("text of note %1").arg(n), this));
        Note note;
        note.colour = QColor::fromRgb(0x10 * n, 0x20, 0x30);
        if (n == 3) {
            note.locked = true;
            note.password = QStringLiteral("secret");
        }
        before.append(
            {note, std::make_shared<const rtf::Snapshot>(rtf::capture(*texts.last())), 0});
    }
    QVERIFY(store::saveStore(old, Switches{}, before));
    QList<store::NoteToSave> after = before;
    after.removeAt(4);
    after.removeAt(1);
    after[0].note.colour = Qt::darkGreen;
    // Moved files go along as they are, but for the fourth note's, written anew.
    for (int i = 0; i < after.size(); ++i)
        after[i].storedAs = i == 0 ? 1 : i == 2 ? 0 : i + 2;

    const QStringList oldStore = storedNotes(old);
    QCOMPARE(oldStore.size(), 5);
    auto copyStore = [&] {
        QDir(work).removeRecursively();
        QDir().mkpath(work + QStringLiteral("/tie"));
        QVERIFY(QFile::copy(old + QStringLiteral("/tie.dat"), work + QStringLiteral("/tie.dat")));
        for (int n = 1; n <= 5; ++n)
            QVERIFY(QFile::copy(store::contentFilePath(old, n), store::contentFilePath(work, n)));
    };
    int oldSeen = 0;
    int newSeen = 0;
    for (int limit = 0;; ++limit) {
        QVERIFY2(limit < 100, "the save never finished");
        copyStore();
        CrashingSteps crash(limit);
        files::Steps::install(&crash);
        const bool finished = store::saveStore(work, Switches{}, after, nullptr, {2, 5});
        files::Steps::install(nullptr);
        // The next start.
        const QStringList seen = storedNotes(work);
        if (finished) {
            QCOMPARE(seen.size(), 3);
            QCOMPARE(seen[1], oldStore[2]);  // the locked note, with its own text
        }
        const bool isNew = seen.size() == 3 && seen.mid(1) == oldStore.mid(2, 2);
        QVERIFY2(seen == oldStore || isNew,
                 qPrintable(QStringLiteral("a mix after step %1").arg(limit)));
        (isNew ? newSeen : oldSeen)++;
        // Nothing of the save is left lying about once the start has read the store; the
        // last note's file is gone with the new store.
        QCOMPARE(QDir(work + QStringLiteral("/tie")).entryList(QDir::Files).size(), isNew ? 4 : 5);
        QCOMPARE(QDir(work).entryList(QDir::Files), QStringList{QStringLiteral("tie.dat")});
        if (finished) break;
    }
    QVERIFY(oldSeen > 0 && newSeen > 0);
}

void TstNoteStore::snapshotsKeepTheContentsOfLinkedFiles() {
    // The settings file is a link into another folder of the store.
    QTemporaryDir dir;
    const QString storeDir = dir.filePath(QStringLiteral("store"));
    const QString elsewhere = storeDir + QStringLiteral("/elsewhere/tie.dat");
    QDir().mkpath(storeDir + QStringLiteral("/tie"));
    QDir().mkpath(storeDir + QStringLiteral("/elsewhere"));
    const QByteArray first = initSection(QStringLiteral("0"));
    QFile target(elsewhere);
    QVERIFY(target.open(QIODevice::WriteOnly) && target.write(first) == first.size());
    target.close();
    QVERIFY(QFile::link(elsewhere, store::settingsFilePath(storeDir)));
    const QString snapshots = dir.filePath(QStringLiteral("snapshots"));
    QString error;
    QVERIFY(store::snapshotStore(storeDir, snapshots, QDate(2026, 12, 7), 7, &error));

    // A save goes through the link and keeps it a link; an old file copied over it in place
    // changes the file itself. The day's snapshot keeps what was there.
    QVERIFY(store::saveStore(storeDir, Switches{}, {}));
    QVERIFY(QFileInfo(store::settingsFilePath(storeDir)).isSymLink());
    QVERIFY(target.open(QIODevice::ReadWrite));
    QVERIFY(target.readAll() != first);
    QVERIFY(target.seek(0) && target.write("[x]\r\n") > 0);
    target.close();
    QFile kept(snapshots + QStringLiteral("/2026-12-07/tie.dat"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY(!QFileInfo(kept.fileName()).isSymLink());
    QCOMPARE(kept.readAll(), first);
}

void TstNoteStore::journalsNotOfThisMachinesSavesAreSetAside() {
    // A journal is input like every file of a synced store: a hand-written one, another
    // machine's, and one of the previous format are never carried out.
    QTemporaryDir dir;
    const QString storeDir = dir.filePath(QStringLiteral("store"));
    const QString thesis = dir.filePath(QStringLiteral("thesis.odt"));
    QVERIFY(store::saveStore(storeDir, Switches{}, {{Note{}, nullptr, 0}}));
    const QByteArray settings = [&] {
        QFile file(store::settingsFilePath(storeDir));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const QByteArray other = QByteArrayLiteral("[初始值]\r\n帖子数=0\r\n");
    const QByteArray journals[] = {
        "Jotpin save journal 1\n-" + thesis.toUtf8() + "\nend\n",
        "Jotpin save journal 1\n-../thesis.odt\nend\n",
        "Jotpin save journal 2\nmachine 00ff\n+tie.dat\nend\n",
    };
    for (const QByteArray& journal : journals) {
        for (const auto& [path, bytes] :
             {std::pair{thesis, QByteArray("thesis")},
              std::pair{QString(store::settingsFilePath(storeDir) + QStringLiteral(".saving")),
                        other},
              std::pair{store::journalPath(storeDir), journal}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        QStringList problems;
        const store::LoadedStore loaded = store::loadStore(storeDir, Switches{}, &problems);
        QVERIFY2(!loaded.unreadable, journal.constData());
        QCOMPARE(loaded.notes.size(), 1);
        QVERIFY(QFileInfo::exists(thesis));
        QVERIFY(!QFileInfo::exists(store::journalPath(storeDir)));
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems[0].contains(QStringLiteral("不是这台电脑保存时写的")));
        QFile file(store::settingsFilePath(storeDir));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), settings);
    }
    // Each kept where conflict copies go, none over another.
    QCOMPARE(QDir(paths::conflictsDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
}

void TstNoteStore::linksOutOfTheStoreAreNeverReadNorWrittenThrough() {
    // A synced folder carries links as links, and anyone who can write there can plant one: a
    // link that leads out of the store is neither read nor written through, however many steps
    // it takes. One that stays in the store is a file of it.
    QTemporaryDir dir;
    const QString storeDir = dir.filePath(QStringLiteral("store"));
    const QString precious = dir.filePath(QStringLiteral("precious.txt"));
    const auto writeFile = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    const auto readFile = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    };
    const auto note = [](const QString& text) {
        QTextDocument doc(text);
        return store::NoteToSave{Note{}, std::make_shared<const rtf::Snapshot>(rtf::capture(doc)),
                                 0};
    };
    const QList<store::NoteToSave> notes = {note(QStringLiteral("一")), note(QStringLiteral("二")),
                                            note(QStringLiteral("三"))};
    QVERIFY(store::saveStore(storeDir, Switches{}, notes));
    QVERIFY(writeFile(precious, "precious data"));
    const QString content = store::contentFilePath(storeDir, 1);
    // Note 1 leads out; note 2 into the store and on out; note 3 stays in the store.
    QVERIFY(QFile::remove(content) && QFile::link(precious, content));
    const QString hop = storeDir + QStringLiteral("/hop");
    QVERIFY(QFile::link(precious, hop));
    QVERIFY(QFile::remove(store::contentFilePath(storeDir, 2)) &&
            QFile::link(QStringLiteral("../hop"), store::contentFilePath(storeDir, 2)));
    const QString inside = storeDir + QStringLiteral("/kept3.rtf");
    QVERIFY(QFile::rename(store::contentFilePath(storeDir, 3), inside) &&
            QFile::link(QStringLiteral("../kept3.rtf"), store::contentFilePath(storeDir, 3)));

    QStringList problems;
    QCOMPARE(store::loadStore(storeDir, Switches{}, &problems).notes.size(), 3);
    for (int n = 1; n <= 2; ++n) {
        const store::Content read = store::readContent(storeDir, n, &problems);
        QCOMPARE(read.kind, store::Content::Kind::None);
        QVERIFY(read.movedAside);  // the link itself, set aside and told
        QVERIFY(QFileInfo(store::contentFilePath(storeDir, n) + QStringLiteral(".unreadable"))
                    .isSymLink());
    }
    QCOMPARE(problems.size(), 2);
    QVERIFY(problems[0].contains(QStringLiteral("帖子文件夹以外的链接")));
    QCOMPARE(store::readContent(storeDir, 3, nullptr).kind, store::Content::Kind::Rtf);

    // A save writes files of the store's own, also over a link planted where it stages one;
    // the link inside stays a link.
    const QString saving = store::stagedPath(content);
    QVERIFY(QFile::link(precious, saving));
    QVERIFY(store::saveStore(storeDir, Switches{}, notes));
    QVERIFY(!QFileInfo(content).isSymLink() && QFileInfo(content).isFile());
    QVERIFY(QFileInfo(store::contentFilePath(storeDir, 3)).isSymLink());
    QVERIFY(readFile(inside).contains("\\u19977"));  // 三
    QVERIFY(!QFileInfo(saving).exists() && !QFileInfo(saving).isSymLink());
    QCOMPARE(readFile(precious), QByteArray("precious data"));

    // A journal planted as a link is moved aside unread; one planted between two saves is
    // replaced, not written through; a save still commits.
    const QString journal = store::journalPath(storeDir);
    QVERIFY(QFile::link(precious, journal));
    problems.clear();
    QVERIFY(store::saveStore(storeDir, Switches{}, notes, &problems));
    QVERIFY(problems.join(u' ').contains(QStringLiteral("链接")));
    QVERIFY(!QFileInfo(journal).exists() && !QFileInfo(journal).isSymLink());
    QCOMPARE(readFile(precious), QByteArray("precious data"));

    // The settings file or the folder of texts leading out: the store is not read, and a save
    // neither reads the file nor writes through it.
    const QString settings = store::settingsFilePath(storeDir);
    const QByteArray otherStore = initSection(QStringLiteral("1")) + "[secret]\r\nkey=value\r\n";
    QVERIFY(writeFile(precious, otherStore));
    QVERIFY(QFile::remove(settings) && QFile::link(precious, settings));
    problems.clear();
    QVERIFY(store::loadStore(storeDir, Switches{}, &problems).unreadable);
    QVERIFY(problems.join(u' ').contains(QStringLiteral("帖子文件夹以外的链接")));
    problems.clear();
    QVERIFY(store::saveStore(storeDir, Switches{}, notes, &problems));  // replaced, and told
    QCOMPARE(problems.size(), 1);
    QVERIFY(QFileInfo(settings).isFile() && !QFileInfo(settings).isSymLink());
    QVERIFY(!readFile(settings).contains("secret"));
    QCOMPARE(readFile(precious), otherStore);
    const QString texts = storeDir + QStringLiteral("/tie");
    QVERIFY(QDir(texts).removeRecursively() && QFile::link(dir.path(), texts));
    QVERIFY(store::loadStore(storeDir, Switches{}, &problems).unreadable);
    QVERIFY(!store::saveStore(storeDir, Switches{}, notes, &problems));
    QCOMPARE(readFile(precious), otherStore);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

QTEST_MAIN(TstNoteStore)
#include "tst_notestore.moc"
