#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <atomic>

#include "programfixture.h"
#include "selecttext.h"

#include "desktop/screen.h"
#include "desktop/windowops.h"
#include "note/framecontrols.h"
#include "platform/files.h"
#include "richtext/richtextbox.h"
#include "text/gbk.h"

using namespace store::keys;

namespace {

// The real steps of a save, counted by the thread that takes them.
class WatchedSteps : public files::Steps {
public:
    bool writeDurably(const QString& path, QByteArrayView bytes, QString* error) override {
        count();
        return Steps::writeDurably(path, bytes, error);
    }
    bool rename(const QString& from, const QString& to, QString* error) override {
        count();
        return Steps::rename(from, to, error);
    }
    bool remove(const QString& path) override {
        count();
        return Steps::remove(path);
    }
    std::atomic<int> stepsOnTheGuiThread = 0;
    std::atomic<int> stepsOffTheGuiThread = 0;

private:
    void count() {
        ++(QThread::currentThread() == qApp->thread() ? stepsOnTheGuiThread : stepsOffTheGuiThread);
    }
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A menu item as shown: its caption, then its key after a tab.
QString shownItem(const QAction* action) {
    const QString key = action->shortcut().toString();
    return key.isEmpty() ? action->text() : action->text() + u'\t' + key;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class TstCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void noteMenuItemsInOrder();
    void deleteButtonAsksAndRestoresTopmost();
    void deleteButtonRemovesTheNotesOwnFile();
    void menuDeleteRemovesNoFile();
    void lockAndUnlock();
    void passwordsTheStoreCannotKeepAreRefused();
    void lockedNoteKeepsOnlyItsHideButton();
    void clipboardMarkIsSharedByAllNotes();
    void newNoteFromTheMenuTouchesTheRightEdge();
    void clearCanBeUndone();
    void openReplacesTheContent();
    void openOfAnUnreadableFileChangesNothing();
    void aFileDroppedOnANoteIsOpenedTextAndPicturesGoIn();
    void saveAsRtfOrText();
    void cancelledDialogsChangeNothingAndRestoreTopmost();
    void printSelectionOrAll();
    void sectionsWithGapsKeepTheirContent();

private:
    ProgramFixture f;
    Application* program() const { return f.program; }
    NoteWindow* note(int index) const { return f.note(index); }
    // Started with n notes; note i holds the text "note i" and is the current one at the end.
    NoteWindow* startWithNotes(int n);
    QString tempPath(const QString& name) const { return f.storeDir() + u'/' + name; }
};

NoteWindow* TstCommands::startWithNotes(int n) {
    program()->startUp();  // an empty store makes one note
    while (f.noteCount() < n)
        program()->createNote();
    for (int i = 1; i <= n; ++i)
        note(i)->editor()->replaceText(QStringLiteral("note %1").arg(i));
    program()->windows().noteActivated(note(n));
    return note(n);
}

void TstCommands::noteMenuItemsInOrder() {
    QStringList captions;
    for (const QAction* a : program()->menus().menu(ProgramMenus::Which::Note)->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : shownItem(a));
    QCOMPARE(captions, QStringList({"清空\tCtrl+Q", "打开\tCtrl+O", "保存\tCtrl+S", "打印\tCtrl+P",
                                    "-", "加锁\tF4", "设置/提醒\tF5", "隐藏\tF6", "监测剪贴板", "-",
                                    "新建帖子\tCtrl+N", "删除本贴\tCtrl+D"}));
    QVERIFY(program()->menus().action(MenuItem::ClipboardCapture)->isCheckable());
    QVERIFY(!program()->menus().action(MenuItem::ClipboardCapture)->isChecked());
}

void TstCommands::deleteButtonAsksAndRestoresTopmost() {
    startWithNotes(3);
    program()->menus().action(MenuItem::NotesOnTop)->trigger();
    NoteWindow* second = note(2);

    f.prompts.queueAnswer(Prompts::Answer::Cancel);
    second->deleteButton()->clicked();
    QCOMPARE(f.prompts.asked, QStringList{"你确定要删除该贴吗？"});
    QCOMPARE(f.noteCount(), 3);
    QVERIFY(windowops::isTopmost(second));
    QCOMPARE(program()->currentNote(), second);

    f.prompts.queueAnswer(Prompts::Answer::Ok);
    second->deleteButton()->clicked();
    QCOMPARE(f.noteCount(), 2);
    QVERIFY(!program()->windows().isOpen(second));
    for (QWidget* window : program()->windows().windows())
        QVERIFY(windowops::isTopmost(window));
}

void TstCommands::deleteButtonRemovesTheNotesOwnFile() {
    startWithNotes(3);
    QVERIFY(program()->saveAll());
    NoteWindow* second = note(2);
    NoteWindow* third = note(3);
    // The first note goes by the menu (no file removed): the third now stands at position 2,
    // where the second note's file is.
    program()->windows().noteActivated(note(1));
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    program()->menus().action(MenuItem::Delete)->trigger();
    QVERIFY(QFile::exists(f.contentFile(1)));

    // The file goes with a save started at once, written off the GUI thread: the click does
    // not wait for the disk.
    WatchedSteps watched;
    files::Steps::install(&watched);
    auto uninstall = qScopeGuard([] { files::Steps::install(nullptr); });
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    third->deleteButton()->clicked();
    QTRY_VERIFY(!QFile::exists(f.contentFile(3)));
    QVERIFY(QFile::exists(f.contentFile(2)));
    QVERIFY(watched.stepsOffTheGuiThread > 0);
    QCOMPARE(watched.stepsOnTheGuiThread, 0);
    uninstall.dismiss();
    files::Steps::install(nullptr);

    // A file that an open note is stored under stays, whoever asks.
    program()->commandHost().removeContentFile(2);
    QVERIFY(QFile::exists(f.contentFile(2)));

    f.shutDown();
    f.program = new Application(ProgramFixture::kFastAutoSave);
    program()->startUp();
    QCOMPARE(f.noteCount(), 1);
    QCOMPARE(note(1)->editor()->text(), QStringLiteral("note 2"));
    Q_UNUSED(second);
}

void TstCommands::menuDeleteRemovesNoFile() {
    startWithNotes(2);
    QVERIFY(program()->saveAll());
    f.prompts.queueAnswer(Prompts::Answer::Cancel);
    program()->menus().action(MenuItem::Delete)->trigger();
    QCOMPARE(f.noteCount(), 2);

    f.prompts.queueAnswer(Prompts::Answer::Ok);
    program()->menus().action(MenuItem::Delete)->trigger();
    QCOMPARE(f.noteCount(), 1);
    QVERIFY(QFile::exists(f.contentFile(2)));
    QVERIFY(program()->saveAll());
    QCOMPARE(f.storedValue(kInitSection, kNoteCount), QStringLiteral("1"));
}

void TstCommands::lockAndUnlock() {
    NoteWindow* n = startWithNotes(1);
    n->moveTwips(1500, 1500, 3345, 3000);

    f.prompts.queueInput(std::nullopt);  // Cancel
    program()->menus().action(MenuItem::Lock)->trigger();
    f.prompts.queueInput(QString());
    program()->menus().action(MenuItem::Lock)->trigger();
    QVERIFY(!n->isLocked());

    // Asked twice, where nobody sees it: a second answer that differs is refused, and
    // Cancel then leaves the note unlocked.
    f.prompts.queueInput(QStringLiteral("Secret"));
    f.prompts.queueInput(QStringLiteral("Secrte"));
    program()->menus().action(MenuItem::Lock)->trigger();
    QVERIFY(!n->isLocked());
    QCOMPARE(f.prompts.refused, QStringList{QStringLiteral("两次输入的密码不一样。")});
    f.prompts.queueInput(QStringLiteral("Secret"));
    f.prompts.queueInput(QStringLiteral("Secret"));
    program()->menus().action(MenuItem::Lock)->trigger();
    QVERIFY(n->isLocked());
    QCOMPARE(n->note().height, 638);
    QCOMPARE(n->note().heightBeforeLock, std::optional<qint32>(3000));
    QVERIFY(!n->editor()->isVisibleTo(n));
    QVERIFY(n->unlockButton()->isVisible());

    // Locking twice keeps the pinned height as the one to restore.
    f.prompts.queueInput(QStringLiteral("Secret"));
    f.prompts.queueInput(QStringLiteral("Secret"));
    program()->menus().action(MenuItem::Lock)->trigger();
    QCOMPARE(n->note().heightBeforeLock, std::optional<qint32>(638));
    Note pinned = n->note();
    pinned.heightBeforeLock = 3000;
    n->entry().setValues(pinned);

    // The password survives a restart.
    f.shutDown();
    f.program = new Application(ProgramFixture::kFastAutoSave);
    program()->startUp();
    n = note(1);
    QVERIFY(n->isLocked());

    f.prompts.clear();
    f.prompts.queueInput(QStringLiteral("secret"));  // other letter case: said in the prompt
    n->unlockButton()->clicked();
    QVERIFY(n->isLocked());
    QCOMPARE(f.prompts.refused, QStringList{QStringLiteral("密码不对")});
    QVERIFY(f.prompts.told.isEmpty());
    f.prompts.queueInput(std::nullopt);  // Cancel is an empty answer
    n->unlockButton()->clicked();
    QVERIFY(n->isLocked());
    f.prompts.queueInput(QStringLiteral("Secret"));
    n->unlockButton()->clicked();
    QVERIFY(!n->isLocked());
    QCOMPARE(n->note().height, 3000);
    QVERIFY(n->editor()->isVisibleTo(n));
    QVERIFY(n->note().password.isEmpty());

    // Locked with an empty password (a file edited by hand): Cancel unlocks it.
    f.restart();
    f.writeStore(gbk::encode(
        QStringLiteral("[帖子1]\r\n加锁=**\r\n实际高度=2000\r\n[初始值]\r\n窗体数目=1\r\n")));
    program()->startUp();
    QVERIFY(note(1)->isLocked());
    f.prompts.queueInput(std::nullopt);
    note(1)->unlockButton()->clicked();
    QVERIFY(!note(1)->isLocked());
    QCOMPARE(note(1)->note().height, 2000);
}

void TstCommands::passwordsTheStoreCannotKeepAreRefused() {
    NoteWindow* n = startWithNotes(1);
    // Each is refused with a reason, then the prompt asks again; the last answer is kept.
    const QStringList refused = {QStringLiteral("a*b"), QStringLiteral("无密码123"),
                                 QStringLiteral(" ab"), QStringLiteral("\"ab\""),
                                 QStringLiteral("😀"),   QString(300, u'x')};
    for (const QString& password : refused)
        f.prompts.queueInput(password);
    f.prompts.queueInput(QStringLiteral("中文 and 'quotes"));
    f.prompts.queueInput(QStringLiteral("中文 and 'quotes"));
    program()->menus().action(MenuItem::Lock)->trigger();
    QCOMPARE(f.prompts.refused.size(), refused.size());
    QCOMPARE(f.prompts.asked.size(), refused.size() + 2);
    QCOMPARE(n->note().password, QStringLiteral("中文 and 'quotes"));

    QVERIFY(program()->saveAll());
    f.restart();
    program()->startUp();
    QCOMPARE(note(1)->note().password, QStringLiteral("中文 and 'quotes"));
}

void TstCommands::lockedNoteKeepsOnlyItsHideButton() {
    NoteWindow* n = startWithNotes(1);
    n->show();
    f.prompts.queueInput(QStringLiteral("pw"));
    f.prompts.queueInput(QStringLiteral("pw"));
    program()->menus().action(MenuItem::Lock)->trigger();

    n->menuButton()->clicked();
    QVERIFY(!program()->menus().menu(ProgramMenus::Which::Note)->isVisible());
    n->deleteButton()->clicked();
    QVERIFY(f.prompts.asked.size() == 2);  // only the lock prompts: no delete question
    QVERIFY(program()->windows().isOpen(n));
    n->hideButton()->clicked();
    QVERIFY(!n->isVisible());
}

void TstCommands::clipboardMarkIsSharedByAllNotes() {
    startWithNotes(2);
    NoteWindow* a = note(1);
    NoteWindow* b = note(2);
    program()->windows().noteActivated(a);
    program()->menus().action(MenuItem::ClipboardCapture)->trigger();
    QVERIFY(a->entry().capturesClipboard());

    // On B the mark shows checked: choosing it switches B off (it was) and clears the mark.
    program()->windows().noteActivated(b);
    QVERIFY(program()->menus().action(MenuItem::ClipboardCapture)->isChecked());
    program()->menus().action(MenuItem::ClipboardCapture)->trigger();
    QVERIFY(!b->entry().capturesClipboard());
    QVERIFY(a->entry().capturesClipboard());
    program()->menus().action(MenuItem::ClipboardCapture)->trigger();
    QVERIFY(b->entry().capturesClipboard());
}

void TstCommands::newNoteFromTheMenuTouchesTheRightEdge() {
    startWithNotes(1);
    program()->menus().action(MenuItem::NoteMenuNewNote)->trigger();
    NoteWindow* made = note(2);
    QVERIFY(made->isVisible());
    QCOMPARE(made->note().left, screen::widthTwips() - made->note().width);
    // The caret stands on the line after the creation line.
    made->editor()->insertPlainText(QStringLiteral("first words"));
    QVERIFY(made->editor()->text().startsWith(QStringLiteral("创建：")));
    QVERIFY(made->editor()->text().endsWith(QStringLiteral("\r\nfirst words")));

    // The next new notes step down a title strip each rather than hide the one before.
    program()->menus().action(MenuItem::NoteMenuNewNote)->trigger();
    program()->menus().action(MenuItem::NoteMenuNewNote)->trigger();
    QCOMPARE(note(3)->note().left, made->note().left);
    QCOMPARE(note(3)->note().top, made->note().top + 405);
    QCOMPARE(note(4)->note().top, made->note().top + 810);
}

void TstCommands::clearCanBeUndone() {
    NoteWindow* n = startWithNotes(1);
    n->editor()->selectAll();
    n->editor()->setSelectionBold(true);
    n->editor()->setSelectionBullet(true);
    program()->menus().action(MenuItem::Clear)->trigger();
    QCOMPARE(n->editor()->text(), QString());
    QCOMPARE(n->editor()->selectionBold(), false);
    QCOMPARE(n->editor()->selectionBullet(), false);
    n->editor()->undoHoldingLayout();
    QCOMPARE(n->editor()->text(), QStringLiteral("note 1"));
    n->editor()->selectAll();
    QCOMPARE(n->editor()->selectionBold(), true);
}

void TstCommands::openReplacesTheContent() {
    NoteWindow* n = startWithNotes(1);
    // RTF is known by its content, whatever the name.
    writeFile(tempPath("a.txt"), "{\\rtf1\\ansi {\\b bold}\\par}");
    f.dialogs.files.push_back(tempPath("a.txt"));
    program()->menus().action(MenuItem::Open)->trigger();
    QCOMPARE(n->editor()->text(), QStringLiteral("bold"));
    n->editor()->selectAll();
    QCOMPARE(n->editor()->selectionBold(), true);

    // Text from Windows (GBK), then UTF-8.
    writeFile(tempPath("gbk.rtf"), gbk::encode(QStringLiteral("中文\r\n第二行")));
    f.dialogs.files.push_back(tempPath("gbk.rtf"));
    program()->menus().action(MenuItem::Open)->trigger();
    QCOMPARE(n->editor()->text(), QStringLiteral("中文\r\n第二行"));
    writeFile(tempPath("utf8.txt"), QStringLiteral("中文 ü").toUtf8());
    f.dialogs.files.push_back(tempPath("utf8.txt"));
    program()->menus().action(MenuItem::Open)->trigger();
    QCOMPARE(n->editor()->text(), QStringLiteral("中文 ü"));
    QCOMPARE(f.dialogs.filter(), QStringLiteral("RTF Files|*.rtf|Text Files|*.txt|All files|*.*"));
}

void TstCommands::openOfAnUnreadableFileChangesNothing() {
    NoteWindow* n = startWithNotes(1);
    writeFile(tempPath("picture.png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11));
    for (const QString& path : {tempPath("picture.png"), tempPath("missing.rtf")}) {
        f.dialogs.files.push_back(path);
        program()->menus().action(MenuItem::Open)->trigger();
        QCOMPARE(n->editor()->text(), QStringLiteral("note 1"));
    }
    QCOMPARE(f.prompts.told.size(), 2);
    QVERIFY(f.prompts.told[0].contains(tempPath("picture.png")));
    QVERIFY(f.prompts.told[1].contains(tempPath("missing.rtf")));
}

void TstCommands::aFileDroppedOnANoteIsOpenedTextAndPicturesGoIn() {
    NoteWindow* n = startWithNotes(1);
    RichTextBox* editor = n->editor();
    const QString path = tempPath(QStringLiteral("拖来的.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("从文件来的\n");
    file.close();
    const auto drop = [editor](QMimeData* mime, QPoint at) {
        QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor->viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor->viewport(), &move);
        QDropEvent event(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor->viewport(), &event);
        delete mime;
    };
    const auto fileDrag = [&path] {
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(path)});
        mime->setText(QUrl::fromLocalFile(path).toString());  // as file managers offer it
        return mime;
    };
    // A note with text asks first; its address never goes in as text.
    QSignalSpy dropped(editor, &RichTextBox::fileDropped);
    drop(fileDrag(), QPoint(5, 5));
    QVERIFY(dropped.isEmpty());  // not while the dragging program waits for the drop's end
    QTRY_COMPARE(dropped.size(), 1);
    QCOMPARE(f.prompts.asked.size(), 1);
    QCOMPARE(editor->text(), QStringLiteral("note 1"));
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    drop(fileDrag(), QPoint(5, 5));
    QTRY_COMPARE(editor->text(), QStringLiteral("从文件来的\r\n"));

    // Text from another program goes in where it is dropped.
    editor->replaceText(QStringLiteral("ab"));
    QTextCursor between(editor->document());
    between.setPosition(1);
    auto* text = new QMimeData;
    text->setText(QStringLiteral("X"));
    drop(text, editor->cursorRect(between).center());
    QCOMPARE(editor->text(), QStringLiteral("aXb"));

    // A picture file goes in where it is dropped, as a picture; one made to fill the memory is
    // refused from its header, with a word once the drop is over.
    const QString shot = tempPath(QStringLiteral("截图"));
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(shot, "PNG"));
    const QString bomb = tempPath(QStringLiteral("bomb.png"));
    QFile bombFile(bomb);
    QVERIFY(bombFile.open(QIODevice::WriteOnly));
    bombFile.write(QByteArray::fromHex(  // 30000 × 20000, and a few of its rows
        "89504e470d0a1a0a0000000d494844520000753000004e200806000000cf950b89"
        "0000000c49444154789c6360a00c000000400001b7347cef"));
    bombFile.close();
    for (const QString& dragged : {shot, bomb}) {
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(dragged)});
        between.setPosition(1);
        drop(mime, editor->cursorRect(between).center());
    }
    QCOMPARE(editor->text(), QStringLiteral("a Xb"));
    QTextCursor after(editor->document());
    after.setPosition(2);
    QVERIFY(after.charFormat().isImageFormat());
    QCOMPARE(after.charFormat().toImageFormat().width(), 0.0);  // narrower than the text
    QVERIFY(dropped.size() == 2 && f.prompts.told.isEmpty());
    QTRY_COMPARE(f.prompts.told.size(), 1);
    QVERIFY(f.prompts.told[0].contains(QStringLiteral("30000 × 20000")));
}

void TstCommands::saveAsRtfOrText() {
    NoteWindow* n = startWithNotes(1);
    n->editor()->replaceText(QStringLiteral("中文\r\nline"));
    f.dialogs.saves.push_back({tempPath("out.txt"), 2});
    program()->menus().action(MenuItem::Save)->trigger();
    QCOMPARE(readAll(tempPath("out.txt")), QStringLiteral("中文\r\nline\r\n").toUtf8());

    for (int index : {1, 3}) {
        const QString path = tempPath(QStringLiteral("out%1.rtf").arg(index));
        f.dialogs.saves.push_back({path, index});
        program()->menus().action(MenuItem::Save)->trigger();
        QVERIFY(readAll(path).startsWith("{\\rtf1"));
    }

    // A folder that is not there: told, nothing written.
    const QString nowhere = tempPath("no such folder/out.txt");
    f.dialogs.saves.push_back({nowhere, 2});
    program()->menus().action(MenuItem::Save)->trigger();
    QCOMPARE(f.prompts.told.size(), 1);
    QVERIFY(f.prompts.told[0].contains(nowhere));
}

void TstCommands::cancelledDialogsChangeNothingAndRestoreTopmost() {
    NoteWindow* n = startWithNotes(2);
    program()->menus().action(MenuItem::NotesOnTop)->trigger();
    f.dialogs.setFileName(tempPath("earlier.txt"));
    for (QAction* action :
         {program()->menus().action(MenuItem::Open), program()->menus().action(MenuItem::Save),
          program()->menus().action(MenuItem::Print)})
        action->trigger();  // every dialog cancelled
    QCOMPARE(f.dialogs.shown, 3);
    QVERIFY(!QFile::exists(tempPath("earlier.txt")));
    QCOMPARE(n->editor()->text(), QStringLiteral("note 2"));
    QVERIFY(f.prompts.told.isEmpty());
    for (QWidget* window : program()->windows().windows())
        QVERIFY(windowops::isTopmost(window));
}

void TstCommands::printSelectionOrAll() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    NoteWindow* n = startWithNotes(1);
    n->editor()->replaceText(QStringLiteral("first words\r\nsecond line"));
    auto pdfText = [](const QString& pdf) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        p.waitForFinished(30000);
        // Ligatures as letters; Qt adds the page number.
        return QString::fromUtf8(p.readAllStandardOutput())
            .normalized(QString::NormalizationForm_KC)
            .simplified();
    };

    f.dialogs.pdfs.push_back(tempPath("all.pdf"));
    program()->menus().action(MenuItem::Print)->trigger();
    QCOMPARE(pdfText(tempPath("all.pdf")), QStringLiteral("first words second line 1"));

    selectText(*n->editor(), 6, 5);
    f.dialogs.pdfs.push_back(tempPath("selection.pdf"));
    program()->menus().action(MenuItem::Print)->trigger();
    QCOMPARE(pdfText(tempPath("selection.pdf")), QStringLiteral("words 1"));
    QCOMPARE(f.dialogs.printFlags, QList<int>({0x108, 0x109}));
}

void TstCommands::sectionsWithGapsKeepTheirContent() {
    // A count that is no number loads the sections there are: 1 and 3.
    f.writeStore(gbk::encode(QStringLiteral("[帖子1]\r\nvisible=True\r\n[帖子3]\r\nvisible=True\r\n"
                                            "[初始值]\r\n窗体数目=x\r\n")),
                 {{1, "{\\rtf1 one\\par}"}, {3, "{\\rtf1 three\\par}"}});
    program()->startUp();
    QCOMPARE(f.noteCount(), 2);
    note(1)->editor()->replaceText(QStringLiteral("one changed"));
    QVERIFY(program()->saveAll());
    f.restart();
    program()->startUp();
    QCOMPARE(note(1)->editor()->text(), QStringLiteral("one changed"));
    QCOMPARE(note(2)->editor()->text(), QStringLiteral("three"));
}

QTEST_MAIN(TstCommands)
#include "tst_commands.moc"
