#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "programfixture.h"

#include "desktop/windowops.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/spinnerlist.h"
#include "model/reminder.h"
#include "platform/files.h"
#include "richtext/richtextbox.h"
#include "store/values.h"
#include "text/gbk.h"

namespace {

// Writing one file fails, as on a full disk.
class FailingSteps : public files::Steps {
public:
    bool replace(const QString& path, QByteArrayView bytes, QString* error) override {
        if (path != failAt) return Steps::replace(path, bytes, error);
        *error = path + QStringLiteral(": 磁盘已满");
        return false;
    }
    QString failAt;
};

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A control of the dialog, found by its object name.
template <typename Control>
Control* control(const SettingsDialog* dialog, const char* name) {
    auto* found = dialog->findChild<Control*>(QLatin1String(name));
    if (!found) qFatal("the settings dialog has no %s", name);
    return found;
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

}  // namespace

// The settings dialog writes through to the note that is current at each event.
class TstSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void withoutReminderShowsNowAndStaysOnTop();
    void withReminderRebuildsItAndEachStepRewritesIt();
    void datesTheListsCannotMakeNeverRing();
    void unreadableReminderShowsUnsetAndStays();
    void coloursAndTheCancelledColourDialog();
    void soundChoiceAndNone();
    void opacityFloorAndOpaqueAgain();
    void closedNoteDoesNotBreakTheDialog();
    void emptyFolderTakesTheStoreFilesAndNothingElse();
    void failedCopyRemovesNothing();
    void folderWithAStoreIsOpenedAsItIs();

private:
    NoteWindow* currentNote(const Note& value) {
        NoteWindow* note = f.program->createNote();
        note->entry().setValues(value);
        f.program->windows().noteActivated(note);
        return note;
    }
    // A saved store of one note, with files of others beside its files.
    NoteWindow* storeWithStrangers() {
        f.program->startUp();  // a first start: one note
        NoteWindow* note = f.note(1);
        f.program->windows().noteActivated(note);
        note->editor()->replaceText(QStringLiteral("搬家的帖子"));
        put(f.storeDir() + QStringLiteral("/other.txt"), "other");
        put(f.storeDir() + QStringLiteral("/tie/readme.txt"), "readme");
        put(f.storeDir() + QStringLiteral("/tie/tie1.tie.bak"), "backup");
        f.program->saveAll();
        return note;
    }
    SettingsDialog* open() {
        f.program->dialogs().showSettings();
        return f.program->dialogs().settings();
    }
    ProgramFixture f;
    // Lives past each test's program: a background save still under way when a test ends
    // finishes with these steps while the program closes in cleanup().
    FailingSteps failing;
};

void TstSettings::init() {
    f.setUp();
    f.clock.set(QDateTime(QDate(2027, 3, 5), QTime(9, 7, 30)));
}

void TstSettings::cleanup() {
    f.tearDown();
    files::Steps::install(nullptr);
    QFile::remove(paths::rememberedStoreFile());
    g_sandbox.restore();
}

void TstSettings::withoutReminderShowsNowAndStaysOnTop() {
    NoteWindow* note = currentNote(Note());
    note->entry().setReminderChecking(false);
    SettingsDialog* dialog = open();
    QCOMPARE(control<SpinnerList>(dialog, "hourList")->text(), QStringLiteral("09"));
    QCOMPARE(control<SpinnerList>(dialog, "minuteList")->text(), QStringLiteral("07"));
    QCOMPARE(control<SpinnerList>(dialog, "yearList")->text(), QStringLiteral("2027"));
    QCOMPARE(control<SpinnerList>(dialog, "monthList")->text(), QStringLiteral("03"));
    QCOMPARE(control<SpinnerList>(dialog, "dayList")->text(), QStringLiteral("05"));
    QCOMPARE(control<SpinnerList>(dialog, "repeatList")->text(), QStringLiteral("00"));
    QVERIFY(!control<QCheckBox>(dialog, "reminderCheck")->isChecked());
    QVERIFY(windowops::isTopmost(dialog));
    QVERIFY(control<QCheckBox>(dialog, "noSoundCheck")->isChecked() ==
            note->note().soundPath.isEmpty());
    // Closing turns reminder checking on, reminder or not.
    dialog->close();
    QVERIFY(note->entry().checksReminder());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(!f.program->dialogs().settings());
}

void TstSettings::withReminderRebuildsItAndEachStepRewritesIt() {
    Note value;
    value.reminder = store::toReminder(QStringLiteral("2027年3月6日*14:30**10"));
    value.reminderOn = true;
    NoteWindow* note = currentNote(value);
    note->entry().checkReminder(QDateTime(QDate(2027, 3, 6), QTime(14, 30)), false,
                                nullptr);  // rang at :30
    SettingsDialog* dialog = open();
    QVERIFY(control<QCheckBox>(dialog, "reminderCheck")->isChecked());
    QCOMPARE(control<SpinnerList>(dialog, "dayList")->text(), QStringLiteral("06"));
    QCOMPARE(store::fromReminder(note->note().reminder), QStringLiteral("2027年3月6日*14:30**10"));
    QCOMPARE(note->entry().lastAlarmMinute(), -99);  // counts as not rung yet

    control<SpinnerList>(dialog, "hourList")->stepBy(1);
    QCOMPARE(store::fromReminder(note->note().reminder), QStringLiteral("2027年3月6日*15:30**10"));
    control<SpinnerList>(dialog, "repeatList")->stepBy(-10);
    QCOMPARE(store::fromReminder(note->note().reminder), QStringLiteral("2027年3月6日*15:30**00"));

    control<QCheckBox>(dialog, "reminderCheck")->click();
    QVERIFY(!note->note().reminderOn);
    QCOMPARE(store::fromReminder(note->note().reminder), QString());
    QVERIFY(!note->entry().checksReminder());
    control<SpinnerList>(dialog, "minuteList")->stepBy(1);  // unticked: stays off
    QVERIFY(!note->note().reminderOn);
}

void TstSettings::unreadableReminderShowsUnsetAndStays() {
    Note value;
    value.reminder = store::toReminder(QStringLiteral("07.03.2027*14:30**10"));  // another form
    value.reminderOn = true;
    NoteWindow* note = currentNote(value);
    SettingsDialog* dialog = open();
    QVERIFY(!control<QCheckBox>(dialog, "reminderCheck")->isChecked());
    QCOMPARE(note->note().reminder, value.reminder);
    // Escape closes the dialog.
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!f.program->dialogs().settings());
    QCOMPARE(note->note().reminder, value.reminder);
}

void TstSettings::datesTheListsCannotMakeNeverRing() {
    currentNote(Note());
    SettingsDialog* dialog = open();
    QVERIFY(control<SpinnerList>(dialog, "yearList")->setText(QStringLiteral("2002")));
    QVERIFY(control<SpinnerList>(dialog, "yearList")->setText(QStringLiteral("2037")));
    QVERIFY(control<SpinnerList>(dialog, "monthList")->setText(QStringLiteral("02")));
    control<QCheckBox>(dialog, "reminderCheck")->click();
    for (const QString& day : {QStringLiteral("00"), QStringLiteral("30")}) {
        QVERIFY(control<SpinnerList>(dialog, "dayList")->setText(day));
        dialog->reminderClicked();
        const Reminder set = f.program->currentNote()->note().reminder;
        QVERIFY(set.isComplete());
        for (QDate date(2037, 1, 1); date.year() == 2037; date = date.addDays(1))
            QVERIFY(!set.isDue(QDateTime(date, QTime(23, 59)), -99));
    }
}

void TstSettings::coloursAndTheCancelledColourDialog() {
    Note grey;
    grey.colour = QColor(90, 90, 90);
    NoteWindow* note = currentNote(grey);
    SettingsDialog* dialog = open();
    // The current-colour swatch shows the note's own colour, not a colour of the dialog's.
    QCOMPARE(control<QLabel>(dialog, "currentColour")->palette().color(QPalette::Window),
             QColor(90, 90, 90));
    dialog->chooseOtherColour();  // cancelled: the note stays as it was
    QCOMPARE(note->note().colour, QColor(90, 90, 90));
    dialog->swatchClicked(1);
    QCOMPARE(note->note().colour, QColor(192, 255, 192));
    dialog->swatchClicked(6);  // the current-colour swatch does nothing
    QCOMPARE(note->note().colour, QColor(192, 255, 192));

    f.dialogs.colors.push_back(QColor(10, 20, 30));
    dialog->chooseOtherColour();
    QCOMPARE(note->note().colour, QColor(10, 20, 30));
    QVERIFY(f.dialogs.flags() == 3 && f.dialogs.color() == QColor(10, 20, 30));
    note->entry().setValues([&] {
        Note v = note->note();
        v.colour = Qt::white;
        return v;
    }());
    dialog->chooseOtherColour();  // cancelled after a change elsewhere: the note keeps it
    QCOMPARE(note->note().colour, QColor(Qt::white));
    QCOMPARE(f.dialogs.color(), QColor(Qt::white));  // the dialog started from it

    // Another note activated: the dialog now acts on it, and its swatch says so.
    NoteWindow* other = f.program->createNote();
    other->entry().setValues(grey);
    Q_EMIT other->activated();
    QCOMPARE(control<QLabel>(dialog, "currentColour")->palette().color(QPalette::Window),
             QColor(90, 90, 90));
}

void TstSettings::soundChoiceAndNone() {
    NoteWindow* note = currentNote(Note());
    SettingsDialog* dialog = open();
    f.dialogs.files.push_back(QStringLiteral("  /music/bell.mp3 "));
    dialog->chooseSound();
    QCOMPARE(note->note().soundPath, QStringLiteral("/music/bell.mp3"));
    QVERIFY(!control<QCheckBox>(dialog, "noSoundCheck")->isChecked());
    QCOMPARE(f.dialogs.filter(),
             QStringLiteral("声音文件(*.wav;*.mid;*.mp3;*.wma)|*.wav;*.mid;*.mp3;*.wma"));

    control<QCheckBox>(dialog, "noSoundCheck")->click();
    QCOMPARE(note->note().soundPath, QString());
    QCOMPARE(control<QLineEdit>(dialog, "soundPathEdit")->text(), QString());
    // Cancelled, while the dialog object still holds the name of a file opened elsewhere:
    // nothing changes, "无" stays ticked.
    f.dialogs.setFileName(QStringLiteral("/home/user/letter.rtf"));
    dialog->chooseSound();
    QVERIFY(control<QCheckBox>(dialog, "noSoundCheck")->isChecked());
    QCOMPARE(note->note().soundPath, QString());
    QCOMPARE(control<QLineEdit>(dialog, "soundPathEdit")->text(), QString());
}

void TstSettings::opacityFloorAndOpaqueAgain() {
    NoteWindow* note = currentNote(Note());
    SettingsDialog* dialog = open();
    QCOMPARE(control<QSlider>(dialog, "opacitySlider")->minimum(), Note::kMinOpacity);
    control<QSlider>(dialog, "opacitySlider")->setValue(254);
    QCOMPARE(note->note().opacity, 254);
    QVERIFY(note->windowOpacity() < 1.0);
    control<QSlider>(dialog, "opacitySlider")->setValue(255);
    QCOMPARE(control<QLabel>(dialog, "opacityLabel")->text(), QStringLiteral("100%"));
    QCOMPARE(note->windowOpacity(), 1.0);
    QCOMPARE(SettingsDialog::percentText(155), QStringLiteral("61%"));
    QCOMPARE(SettingsDialog::percentText(25), QStringLiteral("10%"));

    // A stored opacity below the floor loads at the floor.
    f.restart();
    f.writeStore(gbk::encode(QStringLiteral("[帖子1]\r\n透明度=5\r\n[初始值]\r\n窗体数目=1\r\n")));
    f.program->startUp();
    QCOMPARE(f.note(1)->note().opacity, Note::kMinOpacity);
}

void TstSettings::closedNoteDoesNotBreakTheDialog() {
    NoteWindow* note = currentNote(Note());
    SettingsDialog* dialog = open();
    f.program->windows().close(note);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dialog->swatchClicked(0);
    control<QCheckBox>(dialog, "reminderCheck")->click();
    control<QSlider>(dialog, "opacitySlider")->setValue(100);
    control<QCheckBox>(dialog, "noSoundCheck")->click();
    dialog->close();
}

// "帖子文件夹…" on a folder without a store: the store's files go there after a save, each
// compared, and leave the old folder; the program starts again there.
void TstSettings::emptyFolderTakesTheStoreFilesAndNothingElse() {
    storeWithStrangers();
    const QString from = f.storeDir();
    const QByteArray settings = bytesOf(from + QStringLiteral("/tie.dat"));
    const QByteArray text = bytesOf(from + QStringLiteral("/tie/tie1.tie"));
    QTemporaryDir target;
    put(target.filePath(QStringLiteral("keep.txt")), "keep");
    SettingsDialog* dialog = open();
    QCOMPARE(control<QPushButton>(dialog, "storeFolderButton")->text(),
             QStringLiteral("帖子文件夹…"));
    QVERIFY(control<QPushButton>(dialog, "storeFolderButton")
                ->toolTip()
                .contains(QDir::toNativeSeparators(from)));

    f.dialogs.folders.push_back(target.path());
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    bool restarts = false;
    connect(f.program, &Application::ended, this,
            [&] { restarts = f.program->restartsAfterEnd(); });
    dialog->chooseStoreFolder();
    QVERIFY(restarts);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f.program = nullptr;
    QCOMPARE(f.dialogs.foldersShown, QStringList{from});
    QCOMPARE(f.prompts.asked.size(), 1);
    QVERIFY(f.prompts.told.isEmpty());

    QCOMPARE(entries(target.path()), (QStringList{"keep.txt", "tie", "tie.dat"}));
    QCOMPARE(entries(target.filePath(QStringLiteral("tie"))), QStringList{"tie1.tie"});
    QCOMPARE(bytesOf(target.filePath(QStringLiteral("tie.dat"))), settings);
    QCOMPARE(bytesOf(target.filePath(QStringLiteral("tie/tie1.tie"))), text);
    QVERIFY(!QFileInfo::exists(from + QStringLiteral("/tie.dat")));
    QCOMPARE(entries(from + QStringLiteral("/tie")), (QStringList{"readme.txt", "tie1.tie.bak"}));
    QCOMPARE(bytesOf(from + QStringLiteral("/other.txt")), QByteArray("other"));

    // The next start opens the note there.
    g_sandbox.restore();
    QCOMPARE(f.storeDir(), target.path());
    f.program = new Application(ProgramFixture::kFastAutoSave, ProgramFixture::kSyncDelays);
    f.program->startUp();
    QCOMPARE(f.noteCount(), 1);
    QVERIFY(f.note(1)->editor()->text().contains(QStringLiteral("搬家的帖子")));
}

// A copy that fails takes its copies back and removes nothing: the program goes on, saving
// into the store where it was.
void TstSettings::failedCopyRemovesNothing() {
    NoteWindow* note = storeWithStrangers();
    const QString from = f.storeDir();
    const QByteArray settings = bytesOf(from + QStringLiteral("/tie.dat"));
    const QByteArray text = bytesOf(from + QStringLiteral("/tie/tie1.tie"));
    QTemporaryDir target;
    failing.failAt = target.filePath(QStringLiteral("tie.dat"));  // copied last
    files::Steps::install(&failing);
    SettingsDialog* dialog = open();
    f.dialogs.folders.push_back(target.path());
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    dialog->chooseStoreFolder();

    QVERIFY(!f.program->restartsAfterEnd());
    QVERIFY(f.tray.added);
    QCOMPARE(f.prompts.told.size(), 1);
    QVERIFY(f.prompts.told[0].contains(QStringLiteral("磁盘已满")));
    QVERIFY(f.prompts.told[0].contains(QStringLiteral("什么都没有删除")));
    QVERIFY(entries(target.path()).isEmpty());
    QCOMPARE(bytesOf(from + QStringLiteral("/tie.dat")), settings);
    QCOMPARE(bytesOf(from + QStringLiteral("/tie/tie1.tie")), text);
    QVERIFY(!QFileInfo::exists(paths::rememberedStoreFile()));
    note->editor()->replaceText(QStringLiteral("还在这里"));
    QTRY_VERIFY(bytesOf(from + QStringLiteral("/tie/tie1.tie")) != text);
}

// A folder that holds a store is opened as it is; the notes here stay here.
void TstSettings::folderWithAStoreIsOpenedAsItIs() {
    storeWithStrangers();
    const QString from = f.storeDir();
    const QStringList here = entries(from + QStringLiteral("/tie"));
    QTemporaryDir target;
    put(target.filePath(QStringLiteral("tie.dat")), "[初始值]\r\n窗体数目=0\r\n");
    SettingsDialog* dialog = open();

    // The store itself: nothing is asked, nothing happens.
    f.dialogs.folders.push_back(from + u'/');
    dialog->chooseStoreFolder();
    QVERIFY(f.prompts.asked.isEmpty());
    QVERIFY(!QFileInfo::exists(paths::rememberedStoreFile()));
    // Its own text folder: a store inside the store would move into itself.
    f.dialogs.folders.push_back(from + QStringLiteral("/tie"));
    dialog->chooseStoreFolder();
    QVERIFY(f.prompts.told.value(0).contains(QStringLiteral("里面")));
    f.prompts.clear();
    QVERIFY(!QFileInfo::exists(paths::rememberedStoreFile()));
    QCOMPARE(entries(from + QStringLiteral("/tie")), here);

    f.dialogs.folders.push_back(target.path());
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    dialog->chooseStoreFolder();
    QVERIFY(f.program->restartsAfterEnd());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f.program = nullptr;
    QVERIFY(f.prompts.asked.value(0).contains(QStringLiteral("已经有帖子")));
    QCOMPARE(paths::rememberedStoreDir(), target.path());
    QCOMPARE(entries(target.path()), QStringList{"tie.dat"});
    QCOMPARE(entries(from + QStringLiteral("/tie")), here);
    QVERIFY(QFileInfo::exists(from + QStringLiteral("/tie.dat")));
}

QTEST_MAIN(TstSettings)
#include "tst_settings.moc"
