#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <memory>
#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "programfixture.h"

#include "app/menutable.h"
#include "app/requests.h"
#include "app/topmost.h"
#include "desktop/localline.h"
#include "desktop/screen.h"
#include "desktop/singleinstance.h"
#include "desktop/windowops.h"
#include "platform/autostart.h"
#include "richtext/richtextbox.h"
#include "text/gbk.h"

using namespace store::keys;

namespace {

QStringList captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
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
    void exitAfterAFailedSaveSaysSo();
    void shutDownWithTheSwitchOffRemovesTheEntry();
    void autostartExecQuoting_data();
    void autostartExecQuoting();
    void showAllAndHideAll();
    void notesOnTopReachesEveryWindow();
    void topmostGuardActsOnTheCurrentNoteOnly();  // and dialogs stand above notes
    void helpAndNewVersionOpenWithTheDesktop();
    void helpPageCoversEveryMenuCommand();
    void changesAreSavedSoonAndIdleWritesNothing();
    void creatingAndDeletingNotesIsSaved();
    void aChangeWhileTheStoreLoadsIsSaved();
    void aSnapshotADayBeforeTheFirstSaveSevenKept();
    void openWindowsKeepOrderAndShiftDown();
    void oneProgramPerStore();
    void aLocalLineIsTakenWholeAndBounded();
    void startOptionsActOnTheRunningProgram();
    void noTrayIsToldOncePerDesktop();
    void staleLocksAreTakenOver_data();
    void staleLocksAreTakenOver();

private:
    ProgramFixture f;
    Application* program() const { return f.program; }
    NoteWindow* note(int index) const { return f.note(index); }
};

void TstApp::init() {
    f.setUp();
    QFile::remove(autostart::entryPath(QStringLiteral("jotpin")));
}

void TstApp::cleanup() {
    f.tearDown();
}

void TstApp::startUpAddsTheTrayIconBeforeTheNotes() {
    program()->startUp();
    QVERIFY(f.tray.added);
    QCOMPARE(f.tray.tip, QStringLiteral("Jotpin"));
    // The tray shows the menu itself (a panel over D-Bus), so it has it from the start.
    QCOMPARE(f.tray.menu, program()->menus().menu(ProgramMenus::Which::Tray));
    QCOMPARE(f.noteCount(), 1);
    QVERIFY(f.note(1));
    // The first start reads "自动运行" as checked.
    QVERIFY(program()->switches().startWithSession());
    QVERIFY(program()->menus().action(MenuItem::StartWithSession)->isChecked());
    QVERIFY(!program()->switches().notesOnTop());
    QVERIFY(!program()->menus().action(MenuItem::NotesOnTop)->isChecked());
}

void TstApp::trayMenuItemsInOrder() {
    QCOMPARE(captions(program()->menus().menu(ProgramMenus::Which::Tray)),
             QStringList({"返回", "新建帖子", "-", "显示所有帖子", "帖子列表", "-", "帖子在前",
                          "隐藏帖子", "提醒声音开启", "-", "自动运行", "-", "使用说明",
                          "检查是否有新版本", "-", "退出"}));
    for (QAction* a : program()->menus().menu(ProgramMenus::Which::Tray)->actions()) {
        const bool isSwitch = a == program()->menus().action(MenuItem::NotesOnTop) ||
                              a == program()->menus().action(MenuItem::ReminderSound) ||
                              a == program()->menus().action(MenuItem::StartWithSession);
        QCOMPARE(a->isCheckable(), isSwitch);
        QVERIFY(a->shortcut().isEmpty());
    }
}

void TstApp::leftClickOnAnEmptyProgramMakesOneNote() {
    program()->startUp();
    program()->windows().close(note(1));
    QCOMPARE(f.noteCount(), 0);
    Q_EMIT f.tray.leftButtonUp();
    QCOMPARE(f.noteCount(), 1);
    NoteWindow* made = note(1);
    QVERIFY(made->isVisible());
    QCOMPARE(made->note().left, screen::widthTwips() - made->note().width);
    // A second click only shows it again.
    Q_EMIT f.tray.leftButtonUp();
    QCOMPARE(f.noteCount(), 1);
}

void TstApp::leftClickShowsTheNewestWindow() {
    program()->startUp();
    NoteWindow* second = program()->createNote();
    NoteWindow* third = program()->createNote();
    QVERIFY(!second->isVisible());
    QVERIFY(!third->isVisible());
    Q_EMIT f.tray.leftButtonUp();
    QVERIFY(third->isVisible());
    QVERIFY(!second->isVisible());  // other hidden notes stay hidden

    // With the note list loaded last, the list comes up, not a note.
    program()->dialogs().showNoteList();
    program()->dialogs().noteList()->hide();
    third->hide();
    Q_EMIT f.tray.leftButtonUp();
    QVERIFY(program()->dialogs().noteList()->isVisible());
    QVERIFY(!third->isVisible());
}

void TstApp::cancelAtTheExitQuestionSavesNothing() {
    program()->startUp();
    program()->dialogs().showNoteList();
    QVERIFY(program()->dialogs().noteList());
    f.prompts.queueAnswer(Prompts::Answer::Cancel);
    QSignalSpy ended(program(), &Application::ended);
    program()->exitProgram();
    QCOMPARE(f.prompts.asked, QStringList({"您真的希望退出《Jotpin》吗？"}));
    QVERIFY(!program()->dialogs().noteList());  // closed before the question, and stays closed
    QCOMPARE(ended.count(), 0);
    QVERIFY(f.tray.added);  // the program goes on
    QVERIFY(!QFile::exists(f.settingsFile()));
    QVERIFY(!QFile::exists(autostart::entryPath(QStringLiteral("jotpin"))));
    QVERIFY(f.sound.calls.isEmpty());
}

void TstApp::exitWritesStoreAndAutostartEntry() {
    program()->startUp();
    note(1)->editor()->replaceText(QStringLiteral("要保存的"));
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    QSignalSpy ended(program(), &Application::ended);
    program()->exitProgram();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(f.sound.calls, QStringList({"stop"}));
    QVERIFY(!f.tray.added);
    QCOMPARE(f.windowCount(), 0);  // every window closed
    QCOMPARE(f.storedValue(kInitSection, kNoteCount), QStringLiteral("1"));
    QCOMPARE(f.storedValue(kInitSection, kAutoStart), QStringLiteral("True"));
    QFile entry(autostart::entryPath(QStringLiteral("jotpin")));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    QVERIFY(text.contains(QStringLiteral("\nType=Application\n")));
    QVERIFY(text.contains(QStringLiteral("\nExec=") +
                          autostart::execArgument(g_sandbox.appPath() + QStringLiteral("/jotpin")) +
                          u'\n'));
    QVERIFY(entry.fileName().startsWith(g_sandbox.configPath()));
    f.program = nullptr;
}

void TstApp::exitAfterAFailedSaveSaysSo() {
    program()->startUp();
    QFile blocker(f.storeDir() + QStringLiteral("/tie"));  // no content file can be written
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    program()->exitProgram();
    QCOMPARE(f.prompts.told.size(), 1);
    QVERIFY(f.prompts.told[0].contains(QStringLiteral("没有保存")));
    f.program = nullptr;
}

void TstApp::shutDownWithTheSwitchOffRemovesTheEntry() {
    program()->startUp();
    program()->switches().setStartWithSession(false);
    QVERIFY(!program()->menus().action(MenuItem::StartWithSession)->isChecked());  // the check mark
                                                                                   // follows
    QVERIFY(autostart::write(g_sandbox.appPath(), QStringLiteral("jotpin")));
    f.shutDown();
    QVERIFY(!QFile::exists(autostart::entryPath(QStringLiteral("jotpin"))));
    QCOMPARE(f.storedValue(kInitSection, kAutoStart), QStringLiteral("False"));

    // Also when there was no entry: nothing to remove, nothing fails.
    f.program = new Application(ProgramFixture::kFastAutoSave);
    program()->startUp();
    program()->switches().setStartWithSession(false);
    f.shutDown();
    QVERIFY(!QFile::exists(autostart::entryPath(QStringLiteral("jotpin"))));
    f.program = nullptr;
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
    QTEST(autostart::execArgument(program), "argument");
    // The desktop's own tool accepts what we write, where it is installed.
    const QString validate =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validate.isEmpty()) return;
    QTemporaryDir dir;
    QFile entry(dir.filePath(QStringLiteral("jotpin.desktop")));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    const QFileInfo info(program);
    entry.write(autostart::entryText(info.path(), info.fileName()));
    entry.close();
    QProcess p;
    p.start(validate, {entry.fileName()});
    QVERIFY(p.waitForFinished());
    const QByteArray complaints = p.readAllStandardOutput();
    QVERIFY2(p.exitCode() == 0 && !complaints.contains("error"), complaints.constData());
}

void TstApp::showAllAndHideAll() {
    program()->startUp();
    NoteWindow* second = program()->createNote();
    second->show();
    program()->dialogs().showNoteList();
    NoteListDialog* list = program()->dialogs().noteList();
    note(1)->hide();
    program()->menus().action(MenuItem::HideAll)->trigger();
    for (QWidget* window : program()->windows().windows())
        QVERIFY(!window->isVisible());
    QVERIFY(!list->isVisible());  // the note list is hidden too
    program()->menus().action(MenuItem::ShowAll)->trigger();
    QVERIFY(note(1)->isVisible());
    QVERIFY(second->isVisible());
    QVERIFY(list->isVisible());
}

void TstApp::notesOnTopReachesEveryWindow() {
    program()->startUp();
    NoteWindow* hidden = program()->createNote();
    program()->dialogs().showNoteList();
    program()->menus().action(MenuItem::NotesOnTop)->trigger();
    QVERIFY(program()->menus().action(MenuItem::NotesOnTop)->isChecked());
    for (QWidget* window : program()->windows().windows())
        QVERIFY(windowops::isTopmost(window));
    hidden->show();
    QVERIFY(windowops::isTopmost(hidden));
    QVERIFY(note(1)->isVisible());  // changing band hides nothing
    program()->menus().action(MenuItem::NotesOnTop)->trigger();
    for (QWidget* window : program()->windows().windows())
        QVERIFY(!windowops::isTopmost(window));
    // A note made afterwards follows the switch.
    program()->menus().action(MenuItem::NotesOnTop)->trigger();
    QVERIFY(windowops::isTopmost(program()->createNote()));
}

void TstApp::topmostGuardActsOnTheCurrentNoteOnly() {
    program()->startUp();
    NoteWindow* second = program()->createNote();
    windowops::setTopmost(second, true);  // as a ringing reminder leaves it
    program()->windows().noteActivated(second);
    const auto pause = [this] {
        return std::make_unique<windowops::TopmostPause>(program()->currentNote(),
                                                         program()->switches().notesOnTop());
    };
    auto paused = pause();  // notes on top is off: nothing changes
    QVERIFY(windowops::isTopmost(second));
    paused.reset();
    QVERIFY(windowops::isTopmost(second));

    program()->menus().action(MenuItem::NotesOnTop)->trigger();
    paused = pause();
    QVERIFY(!windowops::isTopmost(second));
    QVERIFY(windowops::isTopmost(note(1)));
    paused.reset();
    QVERIFY(windowops::isTopmost(second));

    // Any other window that comes up meanwhile (a file dialog, say) stands above the notes,
    // which stay where they are; a menu is left alone.
    QFileDialog files(second);
    files.show();
    QVERIFY(windowops::isTopmost(&files));
    QVERIFY(windowops::isTopmost(note(1)) && windowops::isTopmost(second));
    files.hide();
    program()->menus().action(MenuItem::NotesOnTop)->trigger();
    QDialog plain;
    plain.show();
    QVERIFY(!windowops::isTopmost(&plain));
}

void TstApp::helpAndNewVersionOpenWithTheDesktop() {
    program()->startUp();
    program()->menus().action(MenuItem::Help)->trigger();
    program()->menus().action(MenuItem::NewVersion)->trigger();
    QCOMPARE(f.shell.opened.size(), 2);
    QCOMPARE(f.shell.opened[0],
             QUrl::fromLocalFile(g_sandbox.appPath() + QStringLiteral("/Jotpin说明.htm")));
    QCOMPARE(f.shell.opened[1], QUrl(kNewVersionUrl));

    // No browser: the user is told where the page is.
    f.shell.works = false;
    program()->menus().action(MenuItem::Help)->trigger();
    program()->menus().action(MenuItem::NewVersion)->trigger();
    QCOMPARE(f.tray.messages.size(), 2);
    QVERIFY(f.tray.messages[0].contains(QStringLiteral("Jotpin说明.htm")));
    QVERIFY(f.tray.messages[1].contains(kNewVersionUrl));
}

void TstApp::helpPageCoversEveryMenuCommand() {
    QFile page(QStringLiteral(JOTPIN_APP_DIR "/Jotpin说明.htm"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QVERIFY2(!html.contains(QStringLiteral("src=\"http")) && !html.contains(u"href=\"http"),
             "the page must stand alone");

    // Every element closes, in order (void and self-closed ones aside).
    static const QStringList voidElements = {"meta", "br", "img", "hr", "link", "input", "wbr"};
    const QRegularExpression tag(QStringLiteral("<!--.*?-->|<(/?)([a-zA-Z][\\w-]*)[^>]*?(/?)>"),
                                 QRegularExpression::DotMatchesEverythingOption);
    QStringList open;
    for (const QRegularExpressionMatch& m : tag.globalMatch(html)) {
        const QString name = m.captured(2).toLower();
        if (name.isEmpty() || voidElements.contains(name) || !m.captured(3).isEmpty()) continue;
        if (m.captured(1).isEmpty()) {
            open.append(name);
        } else {
            QVERIFY2(!open.isEmpty() && open.last() == name, qPrintable(u"unbalanced </" + name));
            open.removeLast();
        }
    }
    QVERIFY2(open.isEmpty(), qPrintable(open.join(u' ')));

    for (const QMenu* menu : {program()->menus().menu(ProgramMenus::Which::Tray),
                              program()->menus().menu(ProgramMenus::Which::Note),
                              program()->menus().menu(ProgramMenus::Which::Edit)}) {
        for (const QAction* action : menu->actions()) {
            const QString caption = action->text().section(u'\t', 0, 0);
            if (!action->isSeparator())
                QVERIFY2(html.contains(caption), qPrintable(u"no " + caption));
        }
    }
}

void TstApp::changesAreSavedSoonAndIdleWritesNothing() {
    program()->startUp();
    QTest::qWait(ProgramFixture::kFastAutoSave.quietMs * 4);
    QVERIFY2(!QFile::exists(f.settingsFile()), "loading alone must not write");

    note(1)->editor()->replaceText(QStringLiteral("第一版"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(f.contentFile(1)), 5000);
    QFile content(f.contentFile(1));
    QVERIFY(content.open(QIODevice::ReadOnly));
    QVERIFY(content.readAll().contains("\\u31532"));  // 第
    content.close();

    // Place, colour, visibility and the switches count as changes too.
    const QDateTime written = QFileInfo(f.settingsFile()).lastModified();
    note(1)->setLeftTwips(1500);
    QTRY_COMPARE_WITH_TIMEOUT(f.storedValue(noteSection(1), kLeft), QStringLiteral("1500"), 5000);
    note(1)->hide();
    QTRY_COMPARE_WITH_TIMEOUT(f.storedValue(noteSection(1), kVisible), QStringLiteral("False"),
                              5000);
    program()->menus().action(MenuItem::ReminderSound)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(f.storedValue(kInitSection, kReminderSound), QStringLiteral("False"),
                              5000);
    Note locked = note(1)->note();
    locked.password = QStringLiteral("pw");
    note(1)->entry().setValues(locked);
    QTRY_COMPARE_WITH_TIMEOUT(f.storedValue(noteSection(1), kLock), QStringLiteral("pw"), 5000);

    // The auto-start entry waits for the end of the program.
    QVERIFY(!QFile::exists(autostart::entryPath(QStringLiteral("jotpin"))));
    // Idle again: no further write.
    QTest::qWait(ProgramFixture::kFastAutoSave.quietMs * 4);
    const QDateTime settled = QFileInfo(f.settingsFile()).lastModified();
    QTest::qWait(ProgramFixture::kFastAutoSave.quietMs * 4);
    QCOMPARE(QFileInfo(f.settingsFile()).lastModified(), settled);
    QVERIFY(settled >= written);
}

void TstApp::creatingAndDeletingNotesIsSaved() {
    program()->startUp();
    program()->menus().action(MenuItem::NewNote)->trigger();
    QCOMPARE(f.noteCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(f.storedValue(kInitSection, kNoteCount), QStringLiteral("2"), 5000);
    program()->windows().close(note(1));
    QTRY_COMPARE_WITH_TIMEOUT(f.storedValue(kInitSection, kNoteCount), QStringLiteral("1"), 5000);
}

void TstApp::aChangeWhileTheStoreLoadsIsSaved() {
    // The window system's events come in while the store loads; a change they bring (the window
    // manager moving a note, say) is no part of what the store holds and must be written.
    f.writeStore(gbk::encode(QStringLiteral("[帖子1]\r\nx坐标=0\r\n[帖子2]\r\nx坐标=0\r\n"
                                            "[初始值]\r\n窗体数目=2\r\n")),
                 {{1, "{\\rtf1 one\\par}"}, {2, "{\\rtf1 two\\par}"}});
    QTimer::singleShot(0, program(), [this] {
        if (NoteWindow* first = note(1)) first->setLeftTwips(1500);
    });
    program()->startUp();
    QCOMPARE(f.noteCount(), 2);
    QVERIFY2(note(1)->note().left == 1500, "no events were taken while the store loaded");
    f.shutDown();
    QCOMPARE(f.storedValue(QStringLiteral("帖子1"), kLeft), QStringLiteral("1500"));
    QCOMPARE(f.storedValue(QStringLiteral("帖子2"), kLeft), QStringLiteral("0"));
    QDir(paths::snapshotsDir()).removeRecursively();  // the save kept the day's first store
}

void TstApp::aSnapshotADayBeforeTheFirstSaveSevenKept() {
    program()->startUp();
    note(1)->editor()->replaceText(QStringLiteral("day 0"));
    QVERIFY(program()->saveAll());  // no store before: nothing to keep
    const QDir snapshots(paths::snapshotsDir());
    QVERIFY(snapshots.isEmpty());

    const QDate first = f.clock.now().date();
    for (int day = 1; day <= 8; ++day) {
        f.clock.set(QDateTime(first.addDays(day), QTime(9, 0)));
        for (int change = 0; change < 2; ++change) {
            note(1)->editor()->replaceText(QStringLiteral("day %1 change %2").arg(day).arg(change));
            QVERIFY(program()->saveAll());
        }
    }
    const QStringList days = snapshots.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QCOMPARE(days.size(), 7);
    QCOMPARE(days.first(), first.addDays(2).toString(Qt::ISODate));
    // Each holds the store as the day found it: the last change of the day before.
    QFile kept(snapshots.filePath(days.first()) + QStringLiteral("/tie/tie1.tie"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY(kept.readAll().contains("day 1 change 1"));
    QVERIFY(QFile::exists(snapshots.filePath(days.first()) + QStringLiteral("/tie.dat")));
    QDir(paths::snapshotsDir()).removeRecursively();
}

void TstApp::openWindowsKeepOrderAndShiftDown() {
    OpenWindows& windows = program()->windows();
    QList<NoteWindow*> notes;
    for (int i = 1; i <= 4; ++i)
        notes << program()->createNote();
    QCOMPARE(windows.windows().size(), 4);
    QStringList closed;
    connect(&windows, &OpenWindows::closed, this, [&](QWidget* window) {
        // Told once it has left the list, while it is still whole.
        closed << QString::number(notes.indexOf(qobject_cast<NoteWindow*>(window)) + 1) + u'@' +
                      QString::number(windows.indexOf(window));
    });

    windows.close(notes[1]);
    QCOMPARE(closed, QStringList({"2@-1"}));
    QCOMPARE(windows.indexOf(notes[2]), 1);
    // A second close of the same window does nothing, also before it is deleted.
    windows.close(notes[1]);
    QCOMPARE(closed.size(), 1);
    // A window opened later goes to the end, not into the gap.
    notes << program()->createNote();
    QCOMPARE(windows.indexOf(notes.last()), 3);

    closed.clear();
    windows.closeAll();
    QCOMPARE(closed, QStringList({"5@-1", "4@-1", "3@-1", "1@-1"}));
    QVERIFY(windows.windows().isEmpty());
    disconnect(&windows, nullptr, this, nullptr);
}

void TstApp::oneProgramPerStore() {
    QTemporaryDir store;
    SingleInstance first(store.path());
    QString problem;
    QCOMPARE(first.acquire(&problem), SingleInstance::Start::Alone);
    QVERIFY(problem.isEmpty());
    QSignalSpy activated(&first, &SingleInstance::activated);
    SingleInstance second(store.path() + QStringLiteral("/."));
    QCOMPARE(second.acquire(&problem), SingleInstance::Start::AnotherRuns);
    QTRY_COMPARE(activated.count(), 1);

    // Another store is another program.
    QTemporaryDir other;
    SingleInstance third(other.path());
    QCOMPARE(third.acquire(&problem), SingleInstance::Start::Alone);

    // Where no lock can be made, the socket alone keeps it to one program, and the user
    // hears why.
    QFile plain(other.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    const QString nowhere = other.filePath(QStringLiteral("plain/locks"));
    QTemporaryDir lonely;
    SingleInstance unlocked(lonely.path(), nowhere);
    QCOMPARE(unlocked.acquire(&problem), SingleInstance::Start::Unlocked);
    QVERIFY(!problem.isEmpty());
    SingleInstance again(lonely.path() + QStringLiteral("/"), nowhere);
    QCOMPARE(again.acquire(&problem), SingleInstance::Start::AnotherRuns);

    // Nothing of the lock is in the store, where a sync tool would carry it to other machines.
    QCOMPARE(QDir(store.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TstApp::aLocalLineIsTakenWholeAndBounded() {
#ifdef Q_OS_UNIX
    const QString name = QStringLiteral("jotpin-test-%1").arg(QCoreApplication::applicationPid());
    LocalLineServer server;
    QString error;
    QVERIFY2(server.listen(name, &error), qPrintable(error));
    QSignalSpy lines(&server, &LocalLineServer::lineReceived);
    // Callers as a hostile or a slow one would be: bytes sent as they come, left open.
    const auto caller = [&name] {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(QDir::tempPath() + u'/' + name);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 ? fd : -1;
    };
    const int pieces = caller();
    const int leaves = caller();
    const int endless = caller();
    QVERIFY(pieces >= 0 && leaves >= 0 && endless >= 0);
    QVERIFY(::write(pieces, "new-", 4) == 4);
    QTest::qWait(50);
    QVERIFY(lines.isEmpty());
    QVERIFY(::write(pieces, "note\nmore", 9) == 9);
    QTRY_COMPARE(lines.size(), 1);
    QCOMPARE(lines.at(0).at(0).toByteArray(), QByteArray("new-note"));
    ::close(leaves);
    const QByteArray flood(100000, 'x');
    QVERIFY(::write(endless, flood.constData(), size_t(flood.size())) > 0);
    QTRY_COMPARE(lines.size(), 2);
    QCOMPARE(lines.at(1).at(0).toByteArray().size(), LocalLineServer::kMaxLine);
    ::close(pieces);
    ::close(endless);
    // It answers the next caller as before; gone, it leaves no socket behind.
    QVERIFY(LocalLineServer::send(name, "show\n", 500));
    QTRY_COMPARE(lines.size(), 3);
    QCOMPARE(lines.at(2).at(0).toByteArray(), QByteArray("show"));
    server.close();
    QVERIFY(!QFile::exists(QDir::tempPath() + u'/' + name));
    QVERIFY(!LocalLineServer::send(name, "show\n", 500));
#endif
}

void TstApp::startOptionsActOnTheRunningProgram() {
    auto requestOf = [](const QStringList& arguments) {
        QCommandLineParser parser;
        parser.addOptions(requests::options());
        parser.addOption(QCommandLineOption(QStringLiteral("store"), {}, QStringLiteral("dir")));
        if (!parser.parse(QStringList{QStringLiteral("jotpin")} + arguments)) return QString();
        return requests::chosen(parser);
    };
    QCOMPARE(requestOf({}), QString());
    QCOMPARE(requestOf({QStringLiteral("--store"), QStringLiteral("x")}), QString());
    QCOMPARE(requestOf({QStringLiteral("--note-list")}), requests::kNoteList);
    QCOMPARE(requestOf({QStringLiteral("--new-note"), QStringLiteral("--store=x")}),
             requests::kNewNote);

    // A second start passes its request on whole, and the first program acts on it.
    QTemporaryDir store;
    SingleInstance first(store.path());
    QString problem;
    QCOMPARE(first.acquire(&problem), SingleInstance::Start::Alone);
    QSignalSpy asked(&first, &SingleInstance::activated);
    SingleInstance second(store.path());
    second.setRequest(requests::kShowAll);
    QCOMPARE(second.acquire(&problem), SingleInstance::Start::AnotherRuns);
    QTRY_COMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(0).toString(), requests::kShowAll);

    program()->startUp();
    program()->hideAllNotes();
    program()->perform(requests::kShowAll);
    QVERIFY(note(1)->isVisible());
    program()->perform(requests::kNewNote);
    QCOMPARE(f.noteCount(), 2);
    QVERIFY(note(2)->isVisible());
    QCOMPARE(note(2)->note().left, screen::widthTwips() - note(2)->note().width);
    program()->perform(requests::kNoteList);
    QVERIFY(program()->dialogs().noteList() && program()->dialogs().noteList()->isVisible());
    // Quitting asks as the tray menu's 退出 does; Cancel keeps the program.
    program()->perform(requests::kQuit);
    QCOMPARE(f.prompts.asked, QStringList{QStringLiteral("您真的希望退出《Jotpin》吗？")});
    QCOMPARE(f.noteCount(), 2);
}

void TstApp::noTrayIsToldOncePerDesktop() {
    qunsetenv("XDG_CURRENT_DESKTOP");
    program()->startUp();
    program()->tray().tellIfNoTray();  // a tray is there
    QVERIFY(f.notifications.shown.isEmpty());
    // A bare window manager, no desktop's name: told too, with advice that needs no
    // applications menu.
    f.tray.host = false;
    program()->tray().tellIfNoTray();
    QCOMPARE(f.notifications.shown.size(), 1);
    QVERIFY(f.notifications.shown.at(0).contains(QStringLiteral("再启动一次 Jotpin")));
    QVERIFY(f.notifications.shown.at(0).contains(QStringLiteral("--new-note")));
    // Not at the next start on the same desktop.
    f.restart();
    program()->startUp();
    program()->tray().tellIfNoTray();
    QCOMPARE(f.notifications.shown.size(), 1);
    // A desktop is told on its own; without a notification server, in a box.
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    f.notifications.server = false;
    program()->tray().tellIfNoTray();
    QCOMPARE(f.prompts.told.size(), 1);
    QVERIFY(f.prompts.told.at(0).contains(QStringLiteral("AppIndicator")));
    qunsetenv("XDG_CURRENT_DESKTOP");
    // Each window manager is remembered apart; a desktop's name comes first.
    QCOMPARE_NE(ProgramTray::noTrayKey({}, QStringLiteral("Openbox")),
                ProgramTray::noTrayKey({}, QStringLiteral("KWin")));
    QCOMPARE(ProgramTray::noTrayKey(QStringLiteral("XFCE"), QStringLiteral("Xfwm4")),
             ProgramTray::noTrayKey(QStringLiteral("XFCE"), {}));
}

void TstApp::staleLocksAreTakenOver_data() {
    QTest::addColumn<QByteArray>("lock");
    QProcess gone;
    gone.start(QStringLiteral("true"));
    gone.waitForFinished();
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    QTest::newRow("process gone") << QByteArray::number(gone.processId()) + "\njotpin\n" + host +
                                         "\n";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbled") << QByteArray("\x01\xffno lock\n\n\n\n");
    // A portable folder moved to another machine after a crash.
    QTest::newRow("other host") << QByteArray::number(QCoreApplication::applicationPid()) +
                                       "\njotpin\nanother-machine\n";
    // The number of a process that lives, but is no Jotpin.
    QTest::newRow("unrelated process") << QByteArray("1\njotpin\n") + host + "\n";
}

void TstApp::staleLocksAreTakenOver() {
    QFETCH(QByteArray, lock);
    QTemporaryDir store;
    SingleInstance next(store.path(), store.path(), 100);
    QFile file(next.lockFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lock);
    file.close();
    QElapsedTimer timer;
    timer.start();
    QString problem;
    QCOMPARE(next.acquire(&problem), SingleInstance::Start::Alone);
    QVERIFY(timer.elapsed() < 2000);
    // And it holds the lock now.
    QLockFile probe(file.fileName());
    QVERIFY(!probe.tryLock(0));
}

QTEST_MAIN(TstApp)
#include "tst_app.moc"
