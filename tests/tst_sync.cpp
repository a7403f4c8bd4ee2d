// A store kept in step with other machines by a sync tool: the merge as a table, and the
// program taking in files that arrive by rename while it runs.
#include <QDirIterator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include "notebook/merge.h"
#include "notebook/storewatch.h"
#include "platform/clock.h"
#include "programfixture.h"
#include "richtext/richtextbox.h"
#include "store/diskstate.h"
#include "text/gbk.h"

namespace {

using merge::OurNote;
using merge::Plan;
using merge::StoredVersion;

Note made(const QString& created, int left = 100, const QString& uid = {}) {
    Note note;
    note.created = created;
    note.left = left;
    note.uid = uid;
    return note;
}

// A plan in a few words, to compare in a table: "u<key>@<section>[v][t]" updates, "a<section>"
// or "a<section>/<key>" adds (the other version of key), "c<key>" closes, "o<key>" orphans,
// "r<section>" removals.
QStringList described(const Plan& plan) {
    auto key = [](NoteId k) { return QString::number(k); };
    QStringList words;
    for (const Plan::Update& u : plan.updates)
        words << u'u' + key(u.id) + u'@' + QString::number(u.section) + (u.note ? u"v" : u"") +
                     (u.takeText ? u"t" : u"");
    for (const Plan::Add& a : plan.added)
        words << u'a' + QString::number(a.section) +
                     (a.otherVersionOf ? u'/' + key(a.otherVersionOf) : QString());
    for (NoteId k : plan.closed)
        words << u'c' + key(k);
    for (NoteId k : plan.orphaned)
        words << u'o' + key(k);
    for (int s : plan.removals)
        words << u'r' + QString::number(s);
    return words;
}

// Note n shown here, base note b, unchanged.
OurNote shownAs(int n, int b) {
    OurNote our;
    our.id = NoteId(n);
    our.base = b;
    return our;
}

// The store in another folder, changed there as another machine would, and brought back file by
// file, each by rename as a sync tool does.
class OtherMachine {
public:
    explicit OtherMachine(const QString& storeDir) : m_ours(storeDir) {
        QDir().mkpath(dir() + QStringLiteral("/tie"));
        for (const QString& name : files(m_ours))
            QFile::copy(m_ours + u'/' + name, dir() + u'/' + name);
    }
    QString dir() const { return m_dir.path(); }
    store::LoadedStore notes() const { return store::loadStore(dir(), Switches{}); }
    // Writes these notes there; a text of nullopt keeps the note's file as it is.
    void save(const QList<std::pair<Note, std::optional<QString>>>& notes,
              const QList<int>& storedAs) {
        QList<store::NoteToSave> toSave;
        for (int i = 0; i < notes.size(); ++i) {
            std::shared_ptr<const rtf::Snapshot> content;
            if (notes[i].second) {
                QTextDocument doc;
                doc.setPlainText(*notes[i].second);
                content = std::make_shared<const rtf::Snapshot>(rtf::capture(doc));
            }
            toSave.append({notes[i].first, content, content ? 0 : storedAs[i]});
        }
        QVERIFY(store::saveStore(dir(), Switches{}, toSave));
    }
    // The text of the note at `index` changed there, the other notes left as they are.
    void changeText(int index, const QString& text) {
        QList<std::pair<Note, std::optional<QString>>> theirs;
        QList<int> storedAs;
        for (const store::StoredNote& stored : notes().notes) {
            theirs.append({stored.note, std::nullopt});
            storedAs.append(stored.section);
        }
        theirs[index].second = text;
        save(theirs, storedAs);
    }
    // A note made there, after the notes there, with this text; its settings come over first.
    void addNoteAndBringSettings(const QString& created, const QString& text) {
        QList<std::pair<Note, std::optional<QString>>> theirs;
        QList<int> storedAs;
        for (const store::StoredNote& stored : notes().notes) {
            theirs.append({stored.note, std::nullopt});
            storedAs.append(stored.section);
        }
        theirs.append({made(created), text});
        storedAs.append(0);
        save(theirs, storedAs);
        arrive({QStringLiteral("tie.dat")});
    }
    // Brings these files (relative paths) over, by rename; all that differ when none is named.
    void arrive(QStringList names = {}) const {
        if (names.isEmpty()) {
            for (const QString& name : files(dir())) {
                if (fileOf(dir() + u'/' + name) != fileOf(m_ours + u'/' + name)) names << name;
            }
        }
        for (const QString& name : names) {
            const QString temp = m_ours + QStringLiteral("/.syncing.tmp");
            QFile::remove(temp);
            QVERIFY(QFile::copy(dir() + u'/' + name, temp));
            QVERIFY(QFile::remove(m_ours + u'/' + name) || !QFile::exists(m_ours + u'/' + name));
            QVERIFY(QFile::rename(temp, m_ours + u'/' + name));
        }
    }
    static QByteArray fileOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    static QStringList files(const QString& root) {
        QStringList names;
        QDirIterator it(root, {QStringLiteral("tie.dat"), QStringLiteral("tie*.tie")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            names << QDir(root).relativeFilePath(it.next());
        return names;
    }
    QString m_ours;
    QTemporaryDir m_dir;
};

}  // namespace

class TstSync : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }
    void mergeTable_data();
    void mergeTable();
    void valuesMergeFieldByField();
    void conflictCopyNames();
    void changesFromElsewhereShowWithinSeconds();
    void bothChangedKeepsBothVersions();
    void aStoreStillArrivingIsWaitedFor();
    void eachTextStillArrivingIsWaitedFor();
    void aSettingsFileGoneAndBackMakesNoTwins();
    void aNoteWithoutCreationTimeStaysItself();
    void ownSavesAreNotTakenForChangesFromElsewhere();
    void aMissingStoreFolderIsWaitedFor();
    void aTrickleOfChangesPutsOffTheReadOnlySoLong();
    void notesThatLostTheirIdentityStayDeletable();
    void conflictCopiesAreFoldedIn();
    void theLosingSideOfASyncConflictKeepsItsVersion();

private:
    // Three notes made one second apart, saved; returns their windows.
    QList<NoteWindow*> threeSavedNotes();
    QString textOf(int index) const { return f.note(index)->editor()->toPlainText(); }
    ProgramFixture f;
};

void TstSync::mergeTable_data() {
    QTest::addColumn<QList<StoredVersion>>("base");
    QTest::addColumn<QList<StoredVersion>>("theirs");
    QTest::addColumn<QList<OurNote>>("ours");
    QTest::addColumn<QStringList>("plan");
    const QList<StoredVersion> base = {{1, made("a"), 11}, {2, made("b"), 22}, {3, made("c"), 33}};
    const QList<OurNote> same = {shownAs(1, 0), shownAs(2, 1), shownAs(3, 2)};
    auto withText = [](QList<StoredVersion> v, int i, size_t hash) {
        v[i].contentHash = hash;
        return v;
    };
    auto moved = [](QList<StoredVersion> v, int i) {
        v[i].note.left += 1000;
        return v;
    };
    // Values changed here: the note moved.
    auto ours = [&](int i, bool values, bool text) {
        QList<OurNote> o = same;
        if (values) o[i].values = moved(base, i)[i].note;
        o[i].textChanged = text;
        return o;
    };
    QList<OurNote> recolouredHere = same;
    recolouredHere[0].values = base[0].note;
    recolouredHere[0].values->colour = Qt::red;
    QTest::newRow("nothing changed") << base << base << same << QStringList{"u1@1", "u2@2", "u3@3"};
    QTest::newRow("text there") << base << withText(base, 1, 99) << same
                                << QStringList{"u1@1", "u2@2t", "u3@3"};
    QTest::newRow("values there") << base << moved(base, 2) << same
                                  << QStringList{"u1@1", "u2@2", "u3@3v"};
    QTest::newRow("text here") << base << base << ours(1, false, true)
                               << QStringList{"u1@1", "u2@2", "u3@3"};
    QTest::newRow("text on both sides") << base << withText(base, 1, 99) << ours(1, false, true)
                                        << QStringList{"u1@1", "u2@2", "u3@3", "a2/2"};
    QTest::newRow("values on both sides: ours")
        << base << moved(base, 0) << ours(0, true, false) << QStringList{"u1@1", "u2@2", "u3@3"};
    QTest::newRow("moved there, recoloured here: both")
        << base << moved(base, 0) << recolouredHere << QStringList{"u1@1v", "u2@2", "u3@3"};
    QTest::newRow("values there, text here")
        << base << moved(base, 0) << ours(0, false, true) << QStringList{"u1@1v", "u2@2", "u3@3"};
    QList<StoredVersion> added = base;
    added.append({4, made("d"), 44});
    QTest::newRow("added there") << base << added << same
                                 << QStringList{"u1@1", "u2@2", "u3@3", "a4"};
    // Deleted there after the second, which renumbered the third.
    const QList<StoredVersion> renumbered = {{1, made("a"), 11}, {2, made("c"), 33}};
    QTest::newRow("deleted there")
        << base << renumbered << same << QStringList{"u1@1", "u3@2", "c2"};
    QTest::newRow("deleted there, changed here")
        << base << renumbered << ours(1, false, true) << QStringList{"u1@1", "u3@2", "o2"};
    const QList<OurNote> secondDeletedHere = {shownAs(1, 0), shownAs(3, 2)};
    QTest::newRow("deleted here") << base << base << secondDeletedHere
                                  << QStringList{"u1@1", "u3@3", "r2"};
    QTest::newRow("deleted here, changed there")
        << base << withText(base, 1, 99) << secondDeletedHere << QStringList{"u1@1", "u3@3", "a2"};
    // The Windows program saved the same notes in its own RTF: every file differs.
    QList<StoredVersion> rewritten = base;
    for (StoredVersion& v : rewritten)
        v.contentHash += 100;
    QTest::newRow("rewritten there")
        << base << rewritten << same << QStringList{"u1@1t", "u2@2t", "u3@3t"};
    // Notes made in one second: told apart by their files, then their numbers.
    const QList<StoredVersion> twins = {{1, made("x"), 11}, {2, made("x"), 22}};
    const QList<StoredVersion> twinsSwapped = {{1, made("x"), 22}, {2, made("x", 5), 11}};
    QTest::newRow("same creation time")
        << twins << twinsSwapped << QList<OurNote>{shownAs(1, 0), shownAs(2, 1)}
        << QStringList{"u2@1", "u1@2v"};
    // Known by their identities: renumbered and both rewritten there, each text still goes to its
    // own note (by number alone, each would go to the other).
    const QString a = QStringLiteral("000000000000000a"), b = QStringLiteral("000000000000000b");
    const QList<StoredVersion> named = {{1, made("x", 100, a), 11}, {2, made("x", 100, b), 22}};
    const QList<StoredVersion> namedSwapped = {{1, made("x", 100, b), 23},
                                               {2, made("x", 100, a), 12}};
    QTest::newRow("identities through renumbering")
        << named << namedSwapped << QList<OurNote>{shownAs(1, 0), shownAs(2, 1)}
        << QStringList{"u2@1t", "u1@2t"};
    // The Windows program deleted the first and renumbered the rest, leaving our keys where they
    // stood: the identities read are no one's (derived anew), and the creation times decide.
    const QList<StoredVersion> namedThree = {
        {1, made("a", 100, a), 11},
        {2, made("b", 100, b), 22},
        {3, made("c", 100, QStringLiteral("000000000000000c")), 33}};
    const QList<StoredVersion> renumberedOnWindows = {
        {1, made("b", 100, QStringLiteral("1111111111111111")), 22},
        {2, made("c", 100, QStringLiteral("2222222222222222")), 33}};
    QTest::newRow("identities lost on Windows")
        << namedThree << renumberedOnWindows << same << QStringList{"u2@1", "u3@2", "c1"};
}

void TstSync::mergeTable() {
    QFETCH(QList<StoredVersion>, base);
    QFETCH(QList<StoredVersion>, theirs);
    QFETCH(QList<OurNote>, ours);
    QFETCH(QStringList, plan);
    QStringList got = described(merge::plan(base, theirs, ours));
    got.sort();
    plan.sort();
    QCOMPARE(got, plan);
}

void TstSync::valuesMergeFieldByField() {
    Note base = made(QStringLiteral("26/12/07 9:0:0"));
    Note theirs = base;
    theirs.colour = Qt::red;
    theirs.reminderOn = true;
    theirs.reminder = Reminder(ReminderDay{2026, 12, 9}, QTime(8, 30), 0);
    theirs.top = 999;
    Note ours = base;
    ours.left = 5000;  // moved here: the place is ours, the rest theirs
    ours.reminderOn = false;
    ours.top = 111;
    const Note merged = merge::mergeValues(base, theirs, ours);
    QCOMPARE(merged.left, 5000);
    QCOMPARE(merged.top, 111);
    QCOMPARE(merged.colour, QColor(Qt::red));
    QVERIFY(merged.reminderOn);
    QCOMPARE(merged.reminder, theirs.reminder);
    QCOMPARE(merged.width, base.width);
}

void TstSync::conflictCopyNames() {
    const QStringList copies = {
        "tie2.sync-conflict-20261207-101010-ABCDEF1.tie",
        "tie.sync-conflict-20261207-101010-ABCDEF1.dat",
        "tie2 (conflicted copy 2026-12-07 101010).tie",
        "tie2 (Li Lei's conflicted copy 2026-12-07).tie",
        "tie2 (Li Lei's conflicted copy 2026-12-07 (1)).tie",
    };
    const QStringList originals = {"tie2.tie", "tie.dat", "tie2.tie", "tie2.tie", "tie2.tie"};
    for (int i = 0; i < copies.size(); ++i)
        QCOMPARE(store::conflictCopyOf(copies[i]), originals[i]);
    for (const char* plain : {"tie2.tie", "tie.dat", "tie2.tie.unreadable", "tie2 (copy).tie",
                              "tie2.sync-conflict-2026-ABC.tie"})
        QVERIFY2(store::conflictCopyOf(QString::fromUtf8(plain)).isEmpty(), plain);
}

QList<NoteWindow*> TstSync::threeSavedNotes() {
    f.program->startUp();
    QList<NoteWindow*> notes;
    for (int i = 0; i < 3; ++i) {
        f.clock.set(f.clock.now().addSecs(1));
        if (i > 0) f.program->newNote();
        notes << f.note(i + 1);
        notes.back()->editor()->replaceText(QStringLiteral("第%1个").arg(i + 1));
    }
    if (notes.size() < 3) notes << f.note(1) << f.note(2) << f.note(3);
    f.program->saveAll();
    return notes;
}

void TstSync::notesThatLostTheirIdentityStayDeletable() {
    threeSavedNotes();
    OtherMachine there(f.storeDir());
    // As the Windows program deletes a note: the others renumbered, their sections no longer
    // beside the identities we wrote.
    const auto deleteFirstThere = [&] {
        QList<std::pair<Note, std::optional<QString>>> theirs;
        QList<int> storedAs;
        const QList<store::StoredNote> stored = there.notes().notes;
        for (qsizetype i = 1; i < stored.size(); ++i) {
            Note note = stored[i].note;
            note.uid.clear();
            theirs.append({note, std::nullopt});
            storedAs.append(stored[i].section);
        }
        there.save(theirs, storedAs);
        there.arrive();
    };
    deleteFirstThere();
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 2, 10000);
    // Known here by its creation time now, the second note is no note changed here: deleted
    // there, it goes here too instead of coming back.
    deleteFirstThere();
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 1, 10000);
    QCOMPARE(f.note(1)->editor()->toPlainText(), QStringLiteral("第3个"));
}

void TstSync::aTrickleOfChangesPutsOffTheReadOnlySoLong() {
    // A sync tool that touches the settings file every 100 ms for three seconds: never quiet
    // for the 300 ms the watch waits, yet read within the longest wait, again and again.
    QTemporaryDir dir;
    QFile settings(dir.filePath(QStringLiteral("tie.dat")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.flush();
    StoreWatch watch(dir.path(), 300, 800);
    QSignalSpy told(&watch, &StoreWatch::settled);
    for (int i = 0; i < 30; ++i) {
        settings.write("x");
        settings.flush();
        QTest::qWait(100);
    }
    QVERIFY2(told.size() >= 2, qPrintable(QString::number(told.size())));
}

void TstSync::changesFromElsewhereShowWithinSeconds() {
    const QList<NoteWindow*> notes = threeSavedNotes();
    OtherMachine there(f.storeDir());
    const QList<store::StoredNote> stored = there.notes().notes;
    Note moved = stored[1].note;
    moved.left += 3000;
    Note newNote = made(QStringLiteral("26/12/08 9:0:0"));
    // There: the first note's text changed, the second moved, the third deleted, one added.
    there.save({{stored[0].note, QStringLiteral("那边改的")},
                {moved, std::nullopt},
                {newNote, QStringLiteral("那边新建的")}},
               {1, 2, 0});
    QCOMPARE(OtherMachine::fileOf(there.dir() + QStringLiteral("/tie/tie2.tie")),
             OtherMachine::fileOf(f.contentFile(2)));
    there.arrive({QStringLiteral("tie/tie1.tie"), QStringLiteral("tie/tie3.tie")});
    there.arrive({QStringLiteral("tie.dat")});
    QTRY_COMPARE_WITH_TIMEOUT(notes[0]->editor()->toPlainText(), QStringLiteral("那边改的"), 10000);
    QCOMPARE(notes[1]->note().left, moved.left);
    QVERIFY(f.program->windows().indexOf(notes[2]) < 0);
    QCOMPARE(f.noteCount(), 3);
    QCOMPARE(textOf(3), QStringLiteral("那边新建的"));
    QTest::keyClicks(f.note(3)->editor(), QStringLiteral("!"));
    // Nothing of theirs is lost at the next save here, and nothing is written twice.
    f.shutDown();
    const store::LoadedStore after = store::loadStore(f.storeDir(), Switches{});
    QCOMPARE(after.notes.size(), 3);
    QCOMPARE(after.notes[1].note.left, moved.left);
    QVERIFY(OtherMachine::fileOf(f.contentFile(3)).contains("\\'c4\\'c7"));  // 那 in GBK
    // Written back as the other machine wrote it: a note never given an opacity keeps none.
    QCOMPARE(f.storedValue(QStringLiteral("帖子3"), QStringLiteral("透明度")), QString());
    QVERIFY(OtherMachine::fileOf(f.contentFile(3)).contains("!"));
}

void TstSync::bothChangedKeepsBothVersions() {
    const QList<NoteWindow*> notes = threeSavedNotes();
    OtherMachine there(f.storeDir());
    there.changeText(1, QStringLiteral("那边的版本"));
    // Typed here before their file came, and not saved yet.
    notes[1]->editor()->replaceText(QStringLiteral("这边的版本"));
    there.arrive();
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 4, 10000);
    QCOMPARE(notes[1]->editor()->toPlainText(), QStringLiteral("这边的版本"));
    QVERIFY(textOf(4).startsWith(QStringLiteral("另一台电脑的版本")));
    QVERIFY(textOf(4).endsWith(QStringLiteral("那边的版本")));
    f.shutDown();
    const store::LoadedStore after = store::loadStore(f.storeDir(), Switches{});
    QCOMPARE(after.notes.size(), 4);
}

void TstSync::aStoreStillArrivingIsWaitedFor() {
    threeSavedNotes();
    OtherMachine there(f.storeDir());
    there.addNoteAndBringSettings(QStringLiteral("26/12/08 9:0:0"), QStringLiteral("还在路上"));
    // A change here meanwhile: its save must not drop the note whose text is on its way.
    f.note(1)->editor()->replaceText(QStringLiteral("这边改的"));
    QTest::qWait(1500);
    QCOMPARE(store::loadStore(f.storeDir(), Switches{}).notes.size(), 4);
    there.arrive({QStringLiteral("tie/tie4.tie")});
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 4, 10000);
    QCOMPARE(textOf(4), QStringLiteral("还在路上"));
    f.shutDown();
    QVERIFY(OtherMachine::fileOf(f.contentFile(4)).contains("\\'bb\\'b9"));  // 还
    QVERIFY(OtherMachine::fileOf(f.contentFile(1)).contains("\\'d5\\'e2"));  // 这
}

void TstSync::eachTextStillArrivingIsWaitedFor() {
    threeSavedNotes();
    // A text that never comes is given up after its time...
    OtherMachine there(f.storeDir());
    there.addNoteAndBringSettings(QStringLiteral("26/12/08 9:0:0"), QStringLiteral("丢了"));
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 4, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(f.contentFile(4)), 5000);
    // ...and the next one that is late gets its own.
    OtherMachine later(f.storeDir());
    later.addNoteAndBringSettings(QStringLiteral("26/12/08 9:5:0"), QStringLiteral("还在路上"));
    f.note(1)->editor()->replaceText(QStringLiteral("这边改的"));
    QTest::qWait(1500);
    // No stand-in saved where that text is coming: it would make a conflict.
    QVERIFY(!QFile::exists(f.contentFile(5)));
    later.arrive({QStringLiteral("tie/tie5.tie")});
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 5, 10000);
    QCOMPARE(textOf(5), QStringLiteral("还在路上"));
}

void TstSync::aSettingsFileGoneAndBackMakesNoTwins() {
    threeSavedNotes();
    // Saved only seconds after a change, as for a user.
    f.restart(AutoSave::Delays{5000, 10000, 10000});
    f.program->startUp();
    QCOMPARE(f.noteCount(), 3);
    // A sync client replaces the settings file by deleting it and writing it a moment later.
    const QString away = f.storeDir() + QStringLiteral("/away");
    QVERIFY(QFile::rename(f.settingsFile(), away));
    QTRY_VERIFY_WITH_TIMEOUT(f.tray.messages.join(u' ').contains(QStringLiteral("不见了")), 5000);
    QVERIFY(QFile::rename(away, f.settingsFile()));
    QTest::qWait(1000);
    QCOMPARE(f.noteCount(), 3);
    f.shutDown();
    QCOMPARE(store::loadStore(f.storeDir(), Switches{}).notes.size(), 3);
}

void TstSync::aNoteWithoutCreationTimeStaysItself() {
    threeSavedNotes();
    f.shutDown();
    // The second note's creation time taken out by hand.
    QFile file(f.settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    const QByteArray created = gbk::encode(QStringLiteral("建立时间="));
    for (qsizetype i = 0, seen = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(created) && ++seen == 2) lines.removeAt(i);
    }
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join('\n'));
    file.close();

    f.program = new Application(ProgramFixture::kFastAutoSave, ProgramFixture::kSyncDelays);
    f.program->startUp();
    NoteWindow* second = f.note(2);
    // Given the time it was first read, and written: read later, it is the same note.
    QTRY_COMPARE_WITH_TIMEOUT(f.storedValue(QStringLiteral("帖子2"), QStringLiteral("建立时间")),
                              f.clock.now().time().toString(), 5000);
    f.clock.set(f.clock.now().addSecs(60));
    OtherMachine there(f.storeDir());
    there.changeText(1, QStringLiteral("那边改的"));
    there.arrive();
    QTRY_COMPARE_WITH_TIMEOUT(textOf(2), QStringLiteral("那边改的"), 5000);
    QCOMPARE(f.note(2), second);
    QCOMPARE(f.noteCount(), 3);
}

void TstSync::ownSavesAreNotTakenForChangesFromElsewhere() {
    const QList<NoteWindow*> notes = threeSavedNotes();
    RichTextBox* editor = notes[0]->editor();
    const store::FileStamp settings = files::stamp(f.settingsFile());
    QTest::keyClicks(editor, QStringLiteral("abc"));
    QTRY_VERIFY_WITH_TIMEOUT(OtherMachine::fileOf(f.contentFile(1)).contains("abc"), 10000);
    QTest::qWait(800);  // the echo of that save has settled
    // Had the save been taken for another machine's, the text would have been loaded again.
    QVERIFY(editor->document()->isUndoAvailable());
    QCOMPARE(f.noteCount(), 3);
    // Only the text changed: the settings file is not replaced by the same bytes, which a sync
    // tool may take for a change of its time alone.
    QCOMPARE(files::stamp(f.settingsFile()), settings);
    QVERIFY(f.tray.messages.isEmpty());
}

void TstSync::aMissingStoreFolderIsWaitedFor() {
    QTemporaryDir home;
    const QString mounted = home.filePath(QStringLiteral("mounted"));
    const QString link = home.filePath(QStringLiteral("notes"));
    QVERIFY(QFile::link(mounted + QStringLiteral("/notes"), link));  // dangling until mounted
    paths::overrideStoreDir(link);
    f.program->startUp();
    QCOMPARE(f.noteCount(), 0);  // no first note over a store not yet seen
    QVERIFY(f.tray.messages.join(u' ').contains(QStringLiteral("找不到帖子文件夹")));
    QVERIFY(!f.program->saveAll());
    QVERIFY(!QFileInfo::exists(mounted));
    // The synced folder comes with its notes.
    QTemporaryDir elsewhere;
    QVERIFY(QDir().mkpath(mounted + QStringLiteral("/notes/tie")));
    QList<store::NoteToSave> stored;
    for (const char* text : {"一", "二"}) {
        QTextDocument doc;
        doc.setPlainText(QString::fromUtf8(text));
        stored.append({made(QString::fromUtf8(text)),
                       std::make_shared<const rtf::Snapshot>(rtf::capture(doc)), 0});
    }
    QVERIFY(store::saveStore(link, Switches{}, stored));
    const QByteArray settings = OtherMachine::fileOf(f.settingsFile());
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 2, 10000);
    QCOMPARE(textOf(1), QStringLiteral("一"));
    QCOMPARE(textOf(2), QStringLiteral("二"));
    f.shutDown();
    QCOMPARE(store::loadStore(link, Switches{}).notes.size(), 2);
    Q_UNUSED(settings);
}

void TstSync::conflictCopiesAreFoldedIn() {
    threeSavedNotes();
    f.restart();
    // Copies kept from earlier days: those of more than 90 days ago go at the next fold.
    const QDate today = Clock::instance().now().date();
    const QString oldDay = paths::conflictsDir() + u'/' + today.addDays(-91).toString(Qt::ISODate);
    const QStringList folders = {
        oldDay, paths::conflictsDir() + u'/' + today.addDays(-90).toString(Qt::ISODate),
        paths::conflictsDir() + QStringLiteral("/mine")};
    for (const QString& folder : folders) {
        QVERIFY(QDir().mkpath(folder));
        QFile kept(folder + QStringLiteral("/tie1.tie"));
        QVERIFY(kept.open(QIODevice::WriteOnly));
    }
    QFile::copy(f.contentFile(2), f.storeDir() + QStringLiteral("/tie/tie2 (conflicted copy "
                                                                "2026-12-07 101010).tie"));
    QFile unique(f.storeDir() +
                 QStringLiteral("/tie/tie1.sync-conflict-20261207-101010-ABCDEF1.tie"));
    QVERIFY(unique.open(QIODevice::WriteOnly));
    unique.write("{\\rtf1\\ansi only in the copy\\par}");
    unique.close();
    // A plain text written on Windows: GBK.
    QFile gbk(f.storeDir() + QStringLiteral("/tie/tie3 (Li's conflicted copy 2026-12-07).tie"));
    QVERIFY(gbk.open(QIODevice::WriteOnly));
    gbk.write(gbk::encode(QStringLiteral("副本里的文字")));
    gbk.close();
    QFile::copy(f.settingsFile(),
                f.storeDir() + QStringLiteral("/tie.sync-conflict-20261207-101010-ABCDEF1.dat"));
    // A "copy" that is a link out of the store, planted: moved out unread.
    QTemporaryDir outside;
    QFile secret(outside.filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("secret outside") > 0);
    secret.close();
    QVERIFY(QFile::link(
        secret.fileName(),
        f.storeDir() + QStringLiteral("/tie/tie2.sync-conflict-20261207-111111-ABCDEF1.tie")));
    f.program->startUp();
    QCOMPARE(f.noteCount(), 5);
    QVERIFY(textOf(4).startsWith(QStringLiteral("另一台电脑的版本")));
    QVERIFY(textOf(4).endsWith(QStringLiteral("only in the copy")));
    QVERIFY(textOf(5).endsWith(QStringLiteral("副本里的文字")));
    QCOMPARE(f.tray.messages.size(), 1);
    QVERIFY(f.tray.messages[0].contains(QStringLiteral("1 个是指向帖子文件夹以外的链接")));
    QVERIFY(store::readDiskState(f.storeDir()).conflictCopies.isEmpty());
    int kept = 0;
    for (QDirIterator it(paths::conflictsDir(), QDir::Files, QDirIterator::Subdirectories);
         it.hasNext(); it.next())
        ++kept;
    QCOMPARE(kept, 5 + 2);  // and the recent day's and the folder not ours
    QVERIFY(!QFileInfo::exists(oldDay));
    QVERIFY(QFileInfo::exists(secret.fileName()));
    QDir(paths::conflictsDir()).removeRecursively();
}

void TstSync::theLosingSideOfASyncConflictKeepsItsVersion() {
    const QList<NoteWindow*> notes = threeSavedNotes();
    QTest::qWait(500);  // the program is idle: the files below are met by the watch alone
    // Syncthing kept the other machine's file and renamed ours to the conflict copy.
    const QString copy =
        f.storeDir() + QStringLiteral("/tie/tie1.sync-conflict-20261208-090150-ABCDEF1.tie");
    QVERIFY(QFile::rename(f.contentFile(1), copy));
    QFile theirs(f.contentFile(1) + QStringLiteral(".tmp"));
    QVERIFY(theirs.open(QIODevice::WriteOnly));
    theirs.write("{\\rtf1\\ansi theirs\\par}");
    theirs.close();
    QVERIFY(QFile::rename(theirs.fileName(), f.contentFile(1)));
    QTRY_COMPARE_WITH_TIMEOUT(notes[0]->editor()->toPlainText(), QStringLiteral("theirs"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(f.noteCount(), 4, 10000);
    QVERIFY(textOf(4).endsWith(QStringLiteral("第1个")));
    QVERIFY(!QFile::exists(copy));
}

QTEST_MAIN(TstSync)
#include "tst_sync.moc"
