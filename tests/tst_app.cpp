#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "sandbox.h"

#include "app/autosave.h"
#include "app/form2.h"
#include "app/topmost.h"
#include "dialogs/form6.h"
#include "note/createnote.h"
#include "note/form1.h"
#include "platform/autostart.h"
#include "platform/prompts.h"
#include "richtext/richtextbox.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "platform/sound.h"
#include "platform/tray.h"
#include "platform/windowops.h"
#include "store/notestore.h"
#include "store/profilefile.h"
#include "store/storekeys.h"

using namespace store::keys;

namespace {

Form1* note(int index) {
    return qobject_cast<Form1*>(Forms::item(index));
}

QStringList captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QString storedValue(const QString& section, const QString& key) {
    store::ProfileFile f(settingsFilePath());
    f.load();
    return f.read(section, key, QStringLiteral("<missing>"));
}

}  // namespace

class TstApp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startUpAddsTheTrayIconBeforeTheNotes();
    void trayMenuItemsInOrder();
    void leftClickOnAnEmptyProgramMakesOneNote();
    void leftClickShowsTheNewestWindow();
    void cancelAtTheExitQuestionSavesNothing();
    void exitWritesStoreAndAutostartEntry();
    void shutDownWithTheSwitchOffRemovesTheEntry();
    void autostartExecQuoting_data();
    void autostartExecQuoting();
    void showAllAndHideAll();
    void notesOnTopReachesEveryWindow();
    void topmostGuardActsOnTheCurrentNoteOnly();
    void helpAndNewVersionOpenWithTheDesktop();
    void changesAreSavedSoonAndIdleWritesNothing();
    void creatingAndDeletingNotesIsSaved();
    void oneProgramPerStore();
    void staleLockDoesNotBlock();

private:
    void loadProgram();
    void unloadEverything();

    Form2* m_main = nullptr;
    FakeTrayIcon m_tray;
    RecordingSound m_sound;
};

void TstApp::init() {
    g_sandbox.restore();
    QDir(g_sandbox.appPath()).removeRecursively();
    QDir().mkpath(g_sandbox.appPath());
    QFile::remove(Autostart::entryPath(QStringLiteral("jotpin")));
    TrayIcon::install(&m_tray);
    m_tray.added = false;
    m_tray.tip.clear();
    Sound::install(&m_sound);
    m_sound.commands.clear();
    Prompts::setScripted(true);
    Shell::setRecording(true);
    m_main = new Form2();
}

void TstApp::cleanup() {
    unloadEverything();
    TrayIcon::install(nullptr);
    Sound::install(nullptr);
    Prompts::setScripted(false);
    Shell::setRecording(false);
}

void TstApp::unloadEverything() {
    // Unloading the main form saves; a test that checks the store has read it by now.
    Forms::unloadFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_main = nullptr;
}

void TstApp::loadProgram() {
    m_main->Form_Load();
}

void TstApp::startUpAddsTheTrayIconBeforeTheNotes() {
    loadProgram();
    QVERIFY(m_tray.added);
    QCOMPARE(m_tray.tip, QStringLiteral("Jotpin"));
    QCOMPARE(NoteCounter, 1);
    QCOMPARE(Forms::Count(), 2);
    QCOMPARE(Forms::item(0), m_main);
    QVERIFY(!m_main->isVisible());
    // The first start reads "自动运行" as checked.
    QVERIFY(m_main->zidongyunxing->isChecked());
    QVERIFY(!m_main->tiezizaiqian->isChecked());
}

void TstApp::trayMenuItemsInOrder() {
    QCOMPARE(captions(m_main->mnuTray),
             QStringList({"返回", "新建帖子", "-", "显示所有帖子", "帖子列表", "-", "帖子在前",
                          "隐藏帖子", "提醒声音开启", "-", "自动运行", "-", "使用说明",
                          "检查是否有新版本", "-", "退出"}));
    for (QAction* a : m_main->mnuTray->actions()) {
        const bool isSwitch =
            a == m_main->tiezizaiqian || a == m_main->tixing || a == m_main->zidongyunxing;
        QCOMPARE(a->isCheckable(), isSwitch);
        QVERIFY(a->shortcut().isEmpty());
    }
}

void TstApp::leftClickOnAnEmptyProgramMakesOneNote() {
    loadProgram();
    note(1)->Unload();
    QCOMPARE(Forms::Count(), 1);
    Q_EMIT m_tray.leftButtonUp();
    QCOMPARE(Forms::Count(), 2);
    Form1* made = note(1);
    QVERIFY(made->isVisible());
    QCOMPARE(made->Left(), Screen::Width() - made->Width());
    // A second click only shows it again.
    Q_EMIT m_tray.leftButtonUp();
    QCOMPARE(Forms::Count(), 2);
}

void TstApp::leftClickShowsTheNewestWindow() {
    loadProgram();
    Form1* second = CreateNote();
    Form1* third = CreateNote();
    QVERIFY(!second->isVisible());
    QVERIFY(!third->isVisible());
    Q_EMIT m_tray.leftButtonUp();
    QVERIFY(third->isVisible());
    QVERIFY(!second->isVisible());  // other hidden notes stay hidden

    // With the note list loaded last, the list comes up, not a note.
    Form6::showList();
    Form6::instance()->hide();
    third->hide();
    Q_EMIT m_tray.leftButtonUp();
    QVERIFY(Form6::instance()->isVisible());
    QVERIFY(!third->isVisible());
}

void TstApp::cancelAtTheExitQuestionSavesNothing() {
    loadProgram();
    Form6::showList();
    QVERIFY(Form6::instance());
    Prompts::queueAnswer(Prompts::Answer::Cancel);
    QSignalSpy ended(m_main, &Form2::ended);
    m_main->exit_Click();
    QCOMPARE(Prompts::asked(), QStringList({"您真的希望退出《Jotpin》吗？"}));
    QVERIFY(!Form6::instance());  // closed before the question, and stays closed
    QCOMPARE(ended.count(), 0);
    QCOMPARE(Forms::indexOf(m_main), 0);
    QVERIFY(!QFile::exists(settingsFilePath()));
    QVERIFY(!QFile::exists(Autostart::entryPath(QStringLiteral("jotpin"))));
    QVERIFY(m_sound.commands.isEmpty());
}

void TstApp::exitWritesStoreAndAutostartEntry() {
    loadProgram();
    note(1)->RichTextBox1->setText(QStringLiteral("要保存的"));
    Prompts::queueAnswer(Prompts::Answer::Ok);
    QSignalSpy ended(m_main, &Form2::ended);
    m_main->exit_Click();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(m_sound.commands, QStringList({"close WAV"}));
    QVERIFY(!m_tray.added);
    QCOMPARE(Forms::Count(), 0);
    QCOMPARE(storedValue(kInitSection, kNoteCount), QStringLiteral("1"));
    QCOMPARE(storedValue(kInitSection, kAutoStart), QStringLiteral("True"));
    QFile entry(Autostart::entryPath(QStringLiteral("jotpin")));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    QVERIFY(text.contains(QStringLiteral("\nType=Application\n")));
    QVERIFY(text.contains(QStringLiteral("\nExec=") +
                          Autostart::execArgument(g_sandbox.appPath() + QStringLiteral("/jotpin")) +
                          u'\n'));
    QVERIFY(entry.fileName().startsWith(g_sandbox.configPath()));
    m_main = nullptr;
}

void TstApp::shutDownWithTheSwitchOffRemovesTheEntry() {
    loadProgram();
    m_main->zidongyunxing->setChecked(false);
    QVERIFY(Autostart::write(g_sandbox.appPath(), QStringLiteral("jotpin")));
    m_main->shutDown();
    QVERIFY(!QFile::exists(Autostart::entryPath(QStringLiteral("jotpin"))));
    QCOMPARE(storedValue(kInitSection, kAutoStart), QStringLiteral("False"));
    m_main = nullptr;

    // Also when there was no entry: nothing to remove, nothing fails.
    m_main = new Form2();
    loadProgram();
    m_main->zidongyunxing->setChecked(false);
    m_main->shutDown();
    QVERIFY(!QFile::exists(Autostart::entryPath(QStringLiteral("jotpin"))));
    m_main = nullptr;
}

void TstApp::autostartExecQuoting_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argument");
    QTest::newRow("plain") << "/opt/jotpin/jotpin"
                           << "/opt/jotpin/jotpin";
    QTest::newRow("chinese") << "/home/李/便签/jotpin"
                             << "/home/李/便签/jotpin";
    QTest::newRow("space") << "/home/a b/jotpin"
                           << "\"/home/a b/jotpin\"";
    QTest::newRow("quote and dollar") << "/x\"y$z/jotpin"
                                      << "\"/x\\\"y\\$z/jotpin\"";
    QTest::newRow("backslash") << "/x\\y/jotpin"
                               << "\"/x\\\\y/jotpin\"";
    QTest::newRow("percent") << "/100%/jotpin"
                             << "/100%%/jotpin";
}

void TstApp::autostartExecQuoting() {
    QFETCH(QString, program);
    QTEST(Autostart::execArgument(program), "argument");
    // The desktop's own tool accepts what we write, where it is installed.
    const QString validate =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validate.isEmpty()) return;
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("jotpin.desktop")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QFileInfo info(program);
    f.write(Autostart::entryText(info.path(), info.fileName()));
    f.close();
    QProcess p;
    p.start(validate, {f.fileName()});
    QVERIFY(p.waitForFinished());
    const QByteArray complaints = p.readAllStandardOutput();
    QVERIFY2(p.exitCode() == 0 && !complaints.contains("error"), complaints.constData());
}

void TstApp::showAllAndHideAll() {
    loadProgram();
    Form1* second = CreateNote();
    second->show();
    Form6::showList();
    Form6* list = Form6::instance();
    note(1)->hide();
    m_main->yincangtiezi->trigger();
    for (int i = 1; i < Forms::Count(); ++i)
        QVERIFY(!Forms::item(i)->isVisible());
    QVERIFY(!list->isVisible());  // the note list is hidden too
    m_main->xianshisuoyou->trigger();
    QVERIFY(note(1)->isVisible());
    QVERIFY(second->isVisible());
    QVERIFY(list->isVisible());
}

void TstApp::notesOnTopReachesEveryWindow() {
    loadProgram();
    Form1* hidden = CreateNote();
    Form6::showList();
    m_main->tiezizaiqian->trigger();
    QVERIFY(m_main->tiezizaiqian->isChecked());
    for (int i = 1; i < Forms::Count(); ++i)
        QVERIFY(windowops::isTopmost(Forms::item(i)));
    QVERIFY(!windowops::isTopmost(m_main));
    hidden->show();
    QVERIFY(windowops::isTopmost(hidden));
    QVERIFY(note(1)->isVisible());  // changing band hides nothing
    m_main->tiezizaiqian->trigger();
    for (int i = 1; i < Forms::Count(); ++i)
        QVERIFY(!windowops::isTopmost(Forms::item(i)));
    // A note made afterwards follows the switch.
    m_main->tiezizaiqian->trigger();
    QVERIFY(windowops::isTopmost(CreateNote()));
}

void TstApp::topmostGuardActsOnTheCurrentNoteOnly() {
    loadProgram();
    Form1* second = CreateNote();
    windowops::setTopmost(second, true);  // as a ringing reminder leaves it
    second->Form_Activate();
    TopmostGuardBegin();  // notes on top is off: nothing changes
    QVERIFY(windowops::isTopmost(second));
    TopmostGuardEnd();
    QVERIFY(windowops::isTopmost(second));

    m_main->tiezizaiqian->trigger();
    TopmostGuardBegin();
    QVERIFY(!windowops::isTopmost(second));
    QVERIFY(windowops::isTopmost(note(1)));
    TopmostGuardEnd();
    QVERIFY(windowops::isTopmost(second));
}

void TstApp::helpAndNewVersionOpenWithTheDesktop() {
    m_main->help->trigger();
    m_main->jiancha->trigger();
    QCOMPARE(Shell::opened().size(), 2);
    QCOMPARE(Shell::opened()[0],
             QUrl::fromLocalFile(g_sandbox.appPath() + QStringLiteral("/Jotpin说明.htm")));
    QCOMPARE(Shell::opened()[1], QUrl(Form2::kNewVersionUrl));
}

void TstApp::changesAreSavedSoonAndIdleWritesNothing() {
    loadProgram();
    QTest::qWait(AutoSave::kQuietMs + 500);
    QVERIFY2(!QFile::exists(settingsFilePath()), "loading alone must not write");

    note(1)->RichTextBox1->setText(QStringLiteral("第一版"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(contentFilePath(1)), 5000);
    QFile content(contentFilePath(1));
    QVERIFY(content.open(QIODevice::ReadOnly));
    QVERIFY(content.readAll().contains("\\u31532"));  // 第
    content.close();

    // Place, colour, visibility and the switches count as changes too.
    const QDateTime written = QFileInfo(settingsFilePath()).lastModified();
    note(1)->setLeft(1500);
    QTRY_COMPARE_WITH_TIMEOUT(storedValue(noteSection(1), kLeft), QStringLiteral("1500"), 5000);
    note(1)->hide();
    QTRY_COMPARE_WITH_TIMEOUT(storedValue(noteSection(1), kVisible), QStringLiteral("False"), 5000);
    m_main->tixing->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(storedValue(kInitSection, kReminderSound), QStringLiteral("False"),
                              5000);
    note(1)->Image4->setTag(QStringLiteral("pw"));
    QTRY_COMPARE_WITH_TIMEOUT(storedValue(noteSection(1), kLock), QStringLiteral("pw"), 5000);

    // The auto-start entry waits for the end of the program.
    QVERIFY(!QFile::exists(Autostart::entryPath(QStringLiteral("jotpin"))));
    // Idle again: no further write.
    QTest::qWait(AutoSave::kQuietMs + 500);
    const QDateTime settled = QFileInfo(settingsFilePath()).lastModified();
    QTest::qWait(AutoSave::kQuietMs + 500);
    QCOMPARE(QFileInfo(settingsFilePath()).lastModified(), settled);
    QVERIFY(settled >= written);
}

void TstApp::creatingAndDeletingNotesIsSaved() {
    loadProgram();
    m_main->newtie->trigger();
    QCOMPARE(Forms::Count(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(storedValue(kInitSection, kNoteCount), QStringLiteral("2"), 5000);
    note(1)->Unload();
    QTRY_COMPARE_WITH_TIMEOUT(storedValue(kInitSection, kNoteCount), QStringLiteral("1"), 5000);
}

void TstApp::oneProgramPerStore() {
    QTemporaryDir store;
    SingleInstance first(store.path());
    QVERIFY(first.acquire());
    QSignalSpy activated(&first, &SingleInstance::activated);
    SingleInstance second(store.path() + QStringLiteral("/."));
    QVERIFY(!second.acquire());
    QTRY_COMPARE(activated.count(), 1);

    // Another store is another program.
    QTemporaryDir other;
    SingleInstance third(other.path());
    QVERIFY(third.acquire());
}

void TstApp::staleLockDoesNotBlock() {
    QTemporaryDir store;
    // A lock left by a program that is gone.
    QProcess gone;
    gone.start(QStringLiteral("true"));
    QVERIFY(gone.waitForStarted());
    const qint64 pid = gone.processId();
    QVERIFY(gone.waitForFinished());
    QFile lock(store.filePath(QStringLiteral(".jotpin.lock")));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\njotpin\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    SingleInstance next(store.path());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(next.acquire());
    QVERIFY(timer.elapsed() < 2000);
}

QTEST_MAIN(TstApp)
#include "tst_app.moc"
