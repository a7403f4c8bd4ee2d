#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include "programfixture.h"

#include "dialogs/settingsdialog.h"
#include "note/reminder.h"
#include "platform/windowops.h"
#include "store/values.h"
#include "text/gbk.h"

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

private:
    NoteWindow* currentNote(const Note& value) {
        NoteWindow* note = f.program->createNote();
        note->setNote(value);
        f.program->windows().noteActivated(note);
        return note;
    }
    SettingsDialog* open() {
        f.program->showSettings();
        return f.program->settings();
    }
    ProgramFixture f;
};

void TstSettings::init() {
    f.setUp();
    f.clock.set(QDateTime(QDate(2027, 3, 5), QTime(9, 7, 30)));
}

void TstSettings::cleanup() {
    f.tearDown();
}

void TstSettings::withoutReminderShowsNowAndStaysOnTop() {
    NoteWindow* note = currentNote(Note());
    note->setReminderChecking(false);
    SettingsDialog* dialog = open();
    QCOMPARE(dialog->hourList->text(), QStringLiteral("09"));
    QCOMPARE(dialog->minuteList->text(), QStringLiteral("07"));
    QCOMPARE(dialog->yearList->text(), QStringLiteral("2027"));
    QCOMPARE(dialog->monthList->text(), QStringLiteral("03"));
    QCOMPARE(dialog->dayList->text(), QStringLiteral("05"));
    QCOMPARE(dialog->repeatList->text(), QStringLiteral("00"));
    QVERIFY(!dialog->reminderCheck->isChecked());
    QVERIFY(windowops::isTopmost(dialog));
    QVERIFY(dialog->noSoundCheck->isChecked() == note->note().soundPath.isEmpty());
    // Closing turns reminder checking on, reminder or not.
    dialog->close();
    QVERIFY(note->checksReminder());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(!f.program->settings());
}

void TstSettings::withReminderRebuildsItAndEachStepRewritesIt() {
    Note value;
    value.reminder = store::toReminder(QStringLiteral("2027年3月6日*14:30**10"));
    value.reminderOn = true;
    NoteWindow* note = currentNote(value);
    note->checkReminder(QDateTime(QDate(2027, 3, 6), QTime(14, 30)), false);  // rang at :30
    SettingsDialog* dialog = open();
    QVERIFY(dialog->reminderCheck->isChecked());
    QCOMPARE(dialog->dayList->text(), QStringLiteral("06"));
    QCOMPARE(store::fromReminder(note->note().reminder), QStringLiteral("2027年3月6日*14:30**10"));
    QCOMPARE(note->lastAlarmMinute(), -99);  // counts as not rung yet

    dialog->hourList->stepBy(1);
    QCOMPARE(store::fromReminder(note->note().reminder), QStringLiteral("2027年3月6日*15:30**10"));
    dialog->repeatList->stepBy(-10);
    QCOMPARE(store::fromReminder(note->note().reminder), QStringLiteral("2027年3月6日*15:30**00"));

    dialog->reminderCheck->click();
    QVERIFY(!note->note().reminderOn);
    QCOMPARE(store::fromReminder(note->note().reminder), QString());
    QVERIFY(!note->checksReminder());
    dialog->minuteList->stepBy(1);  // unticked: stays off
    QVERIFY(!note->note().reminderOn);
}

void TstSettings::unreadableReminderShowsUnsetAndStays() {
    Note value;
    value.reminder = store::toReminder(QStringLiteral("07.03.2027*14:30**10"));  // another form
    value.reminderOn = true;
    NoteWindow* note = currentNote(value);
    SettingsDialog* dialog = open();
    QVERIFY(!dialog->reminderCheck->isChecked());
    QCOMPARE(note->note().reminder, value.reminder);
    // Escape closes the dialog.
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!f.program->settings());
    QCOMPARE(note->note().reminder, value.reminder);
}

void TstSettings::datesTheListsCannotMakeNeverRing() {
    currentNote(Note());
    SettingsDialog* dialog = open();
    QVERIFY(dialog->yearList->setText(QStringLiteral("2002")));
    QVERIFY(dialog->yearList->setText(QStringLiteral("2037")));
    QVERIFY(dialog->monthList->setText(QStringLiteral("02")));
    dialog->reminderCheck->click();
    for (const QString& day : {QStringLiteral("00"), QStringLiteral("30")}) {
        QVERIFY(dialog->dayList->setText(day));
        dialog->reminderClicked();
        const Reminder set = f.program->currentNote()->note().reminder;
        QVERIFY(set.isComplete());
        for (QDate date(2037, 1, 1); date.year() == 2037; date = date.addDays(1))
            QVERIFY(!reminder::due(set, QDateTime(date, QTime(23, 59)), -99));
    }
}

void TstSettings::coloursAndTheCancelledColourDialog() {
    Note grey;
    grey.colour = QColor(90, 90, 90);
    NoteWindow* note = currentNote(grey);
    SettingsDialog* dialog = open();
    // The current-colour swatch shows the note's own colour, not a colour of the dialog's.
    QCOMPARE(dialog->currentColour->palette().color(QPalette::Window), QColor(90, 90, 90));
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
    note->setNote([&] {
        Note v = note->note();
        v.colour = Qt::white;
        return v;
    }());
    dialog->chooseOtherColour();  // cancelled after a change elsewhere: the note keeps it
    QCOMPARE(note->note().colour, QColor(Qt::white));
    QCOMPARE(f.dialogs.color(), QColor(Qt::white));  // the dialog started from it

    // Another note activated: the dialog now acts on it, and its swatch says so.
    NoteWindow* other = f.program->createNote();
    other->setNote(grey);
    Q_EMIT other->activated();
    QCOMPARE(dialog->currentColour->palette().color(QPalette::Window), QColor(90, 90, 90));
}

void TstSettings::soundChoiceAndNone() {
    NoteWindow* note = currentNote(Note());
    SettingsDialog* dialog = open();
    f.dialogs.files.push_back(QStringLiteral("  /music/bell.mp3 "));
    dialog->chooseSound();
    QCOMPARE(note->note().soundPath, QStringLiteral("/music/bell.mp3"));
    QVERIFY(!dialog->noSoundCheck->isChecked());
    QCOMPARE(f.dialogs.filter(),
             QStringLiteral("声音文件(*.wav;*.mid;*.mp3;*.wma)|*.wav;*.mid;*.mp3;*.wma"));

    dialog->noSoundCheck->click();
    QCOMPARE(note->note().soundPath, QString());
    QCOMPARE(dialog->soundPathEdit->text(), QString());
    // Cancelled, while the dialog object still holds the name of a file opened elsewhere:
    // nothing changes, "无" stays ticked.
    f.dialogs.setFileName(QStringLiteral("/home/user/letter.rtf"));
    dialog->chooseSound();
    QVERIFY(dialog->noSoundCheck->isChecked());
    QCOMPARE(note->note().soundPath, QString());
    QCOMPARE(dialog->soundPathEdit->text(), QString());
}

void TstSettings::opacityFloorAndOpaqueAgain() {
    NoteWindow* note = currentNote(Note());
    SettingsDialog* dialog = open();
    QCOMPARE(dialog->opacitySlider->minimum(), Note::kMinOpacity);
    dialog->opacitySlider->setValue(254);
    QCOMPARE(note->note().opacity, 254);
    QVERIFY(note->windowOpacity() < 1.0);
    dialog->opacitySlider->setValue(255);
    QCOMPARE(dialog->opacityLabel->text(), QStringLiteral("100%"));
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
    dialog->reminderCheck->click();
    dialog->opacitySlider->setValue(100);
    dialog->noSoundCheck->click();
    dialog->close();
}

QTEST_MAIN(TstSettings)
#include "tst_settings.moc"
