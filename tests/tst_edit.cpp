#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include "programfixture.h"
#include "selecttext.h"

#include "commands/editcommands.h"
#include "desktop/screen.h"
#include "dialogs/settingsdialog.h"
#include "richtext/richtextbox.h"

class TstEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void editMenuItemsInOrder();
    void editItemsFollowSelectionUndoAndClipboardText();
    void editItemsDoNothingWhileCtrlIsHeld();
    void formatKeepsUnderlineAndBulletsToggle();
    void fontAppliesTheChoiceAndCancelNothing();
    void findAndFindNext();
    void keysActOnlyWithTheCtrlStateTheyCameWith();
    void keysForNotesAndWindows();
    void theTextClaimsNoKeyOfTheNote();
    void aLockedNotesKeysDoNotAct();
    void inputMethodTextReachesTheNote();
    void iconsGoIntoTheNoteActivatedLast();
    void pickerWithoutPaletteOrNoteKeepsRunning();
    void formatKeysActOnceAsTheirItems();
    void menuKeysOpenMenusWhereTheKeyboardIs();
    void pickerByKeys();

private:
    ProgramFixture f;
    Application* program() const { return f.program; }
    NoteWindow* note(int index) const { return f.note(index); }
    // Started with one note holding `text`, its text focused and current.
    RichTextBox* startWith(const QString& text);
    // The note gets the keyboard, as a click on it gives it: its keys act on it.
    static void giveKeyboard(NoteWindow* note) {
        note->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(note));
    }
    void select(RichTextBox* editor, int start, int length) { selectText(*editor, start, length); }
};

RichTextBox* TstEdit::startWith(const QString& text) {
    program()->startUp();
    RichTextBox* editor = note(1)->editor();
    editor->replaceText(text);
    giveKeyboard(note(1));
    editor->setFocus();
    program()->windows().noteActivated(note(1));
    return editor;
}

void TstEdit::editMenuItemsInOrder() {
    QStringList captions;
    for (const QAction* a : program()->menus().menu(ProgramMenus::Which::Edit)->actions()) {
        const QString key = a->shortcut().toString();
        captions << (a->isSeparator() ? QStringLiteral("-")
                     : key.isEmpty()  ? a->text()
                                      : a->text() + u'\t' + key);
    }
    QCOMPARE(captions, QStringList({"插入图标\tCtrl+I",
                                    "-",
                                    "撤除",
                                    "剪切",
                                    "复制",
                                    "粘贴",
                                    "移除",
                                    "-",
                                    "普通\tCtrl+M",
                                    "粗体\tCtrl+B",
                                    "斜体\tCtrl+G",
                                    "粗斜体\tCtrl+Shift+B",
                                    "自动排列\tCtrl+Shift+L",
                                    "清单\tCtrl+1",
                                    "-",
                                    "文字左对齐\tCtrl+L",
                                    "文字居中\tCtrl+E",
                                    "文字右对齐\tCtrl+R",
                                    "字体\tCtrl+T",
                                    "-",
                                    "查找\tCtrl+F",
                                    "查找下一个\tF3",
                                    "-",
                                    "打开链接",
                                    "复制链接地址"}));
    // The link items only where the menu is opened on a link.
    RichTextBox* editor = startWith(QStringLiteral("见 www.example.org 和 3.14"));
    QAction* open = program()->menus().action(MenuItem::OpenLink);
    QCursor::setPos(note(1)->mapToGlobal(QPoint(-50, -50)));
    for (const auto& [caret, onLink] : {std::pair{5, true}, std::pair{20, false}}) {
        QTextCursor at(editor->document());
        at.setPosition(caret);
        editor->setTextCursor(at);
        editor->pinMenuLink();
        program()->updateEditMenu();
        QCOMPARE(open->isVisible(), onLink);
        QCOMPARE(program()->menus().action(MenuItem::CopyLinkAddress)->isVisible(), onLink);
    }
    QGuiApplication::clipboard()->clear();
    QTextCursor at(editor->document());
    at.setPosition(5);
    editor->setTextCursor(at);
    editor->pinMenuLink();
    program()->menus().action(MenuItem::CopyLinkAddress)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://www.example.org"));
}

void TstEdit::editItemsFollowSelectionUndoAndClipboardText() {
    RichTextBox* editor = startWith(QStringLiteral("abc"));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);  // a picture alone: pasted as one
    program()->updateEditMenu();
    for (QAction* a :
         {program()->menus().action(MenuItem::Undo), program()->menus().action(MenuItem::Cut),
          program()->menus().action(MenuItem::Copy), program()->menus().action(MenuItem::Remove)})
        QVERIFY(!a->isEnabled());
    QVERIFY(program()->menus().action(MenuItem::Paste)->isEnabled());

    editor->moveCursor(QTextCursor::End);
    QTest::keyClick(editor, Qt::Key_X);  // something to undo
    select(editor, 0, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("t"));
    program()->updateEditMenu();
    for (QAction* a :
         {program()->menus().action(MenuItem::Undo), program()->menus().action(MenuItem::Cut),
          program()->menus().action(MenuItem::Copy), program()->menus().action(MenuItem::Paste),
          program()->menus().action(MenuItem::Remove)})
        QVERIFY(a->isEnabled());

    // Files copied in a file manager: their addresses are no text to paste, their pictures are.
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("shot"));  // a picture by its content
    QVERIFY(picture.save(shot, "PNG"));
    for (const auto& [path, pastable] :
         {std::pair{QStringLiteral("/home/u/a.txt"), false}, std::pair{shot, true}}) {
        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(path)});
        files->setText(path + u'\n');
        QGuiApplication::clipboard()->setMimeData(files);
        program()->updateEditMenu();
        QCOMPARE(program()->menus().action(MenuItem::Paste)->isEnabled(), pastable);
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("t"));

    program()->menus().action(MenuItem::Remove)->trigger();
    QCOMPARE(editor->text(), QStringLiteral("cx"));
    program()->menus().action(MenuItem::Undo)->trigger();
    QCOMPARE(editor->text(), QStringLiteral("abcx"));
}

void TstEdit::editItemsDoNothingWhileCtrlIsHeld() {
    RichTextBox* editor = startWith(QStringLiteral("abc"));
    QGuiApplication::clipboard()->setText(QStringLiteral("Z"));
    f.keyboard.held = Qt::ControlModifier;
    program()->menus().action(MenuItem::Paste)->trigger();
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    f.keyboard.held = Qt::NoModifier;
    program()->menus().action(MenuItem::Paste)->trigger();
    QCOMPARE(editor->text(), QStringLiteral("Zabc"));
}

void TstEdit::formatKeepsUnderlineAndBulletsToggle() {
    RichTextBox* editor = startWith(QStringLiteral("one\r\ntwo\r\nthree"));
    editor->selectAll();
    program()->menus().action(MenuItem::BoldItalic)->trigger();
    editor->setSelectionUnderline(true);
    program()->menus().action(MenuItem::Regular)->trigger();
    QCOMPARE(editor->selectionBold(), false);
    QCOMPARE(editor->selectionItalic(), false);
    QCOMPARE(editor->selectionUnderline(), true);

    select(editor, 0, 1);
    editor->setSelectionBullet(true);
    editor->selectAll();
    QCOMPARE(editor->selectionBullet(), std::nullopt);  // mixed
    program()->menus().action(MenuItem::Bullets)->trigger();
    QCOMPARE(editor->selectionBullet(), true);
    program()->menus().action(MenuItem::Bullets)->trigger();
    QCOMPARE(editor->selectionBullet(), false);
    QCOMPARE(editor->selectionHangingIndent(), 0);

    program()->menus().action(MenuItem::AlignRight)->trigger();
    QCOMPARE(editor->selectionAlignment(), Qt::AlignRight);
}

void TstEdit::fontAppliesTheChoiceAndCancelNothing() {
    RichTextBox* editor = startWith(QStringLiteral("abc"));
    editor->selectAll();
    editor->setSelectionTextColor(Qt::blue);
    program()->menus().action(MenuItem::Font)->trigger();  // cancelled
    QCOMPARE(editor->selectionFontPointSize(), 9.0);

    QFont chosen(QStringLiteral("DejaVu Sans"), 14);
    chosen.setBold(true);
    chosen.setStrikeOut(true);
    chosen.setUnderline(true);
    f.dialogs.fonts.push_back(chosen);
    f.dialogs.fontColors.push_back(QColor(0x80, 0, 0));
    f.dialogs.setColor(QColor(255, 255, 128));  // what the colour dialog left, e.g. a note colour
    program()->menus().action(MenuItem::Font)->trigger();
    QCOMPARE(editor->selectionFontFamily(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(editor->selectionFontPointSize(), 14.0);
    QCOMPARE(editor->selectionBold(), true);
    QCOMPARE(editor->selectionItalic(), false);
    QCOMPARE(editor->selectionStrikeOut(), true);
    QCOMPARE(editor->selectionUnderline(), true);
    QCOMPARE(editor->selectionTextColor(), QColor(0x80, 0, 0));

    // The next use opens with that choice, colour too, not with the selection's font.
    program()->menus().action(MenuItem::Font)->trigger();
    QCOMPARE(f.dialogs.fontsShown.last().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(f.dialogs.fontColor(), QColor(0x80, 0, 0));
}

void TstEdit::findAndFindNext() {
    RichTextBox* editor = startWith(QStringLiteral("abcabc"));
    editor->setSelectionStart(5);
    f.prompts.queueInput(QStringLiteral("BC"));  // letter case is ignored
    program()->menus().action(MenuItem::Find)->trigger();
    QCOMPARE(editor->selectionStart(), 1);
    QCOMPARE(editor->selectionLength(), 2);
    program()->menus().action(MenuItem::FindNext)->trigger();
    QCOMPARE(editor->selectionStart(), 4);
    program()->menus().action(MenuItem::FindNext)->trigger();
    QCOMPARE(editor->selectionStart(), 6);
    QCOMPARE(editor->selectionLength(), 0);

    // A find inside a selection stays there; the next offers the last text.
    select(editor, 3, 3);
    f.prompts.queueInput(QStringLiteral("bc"));
    program()->menus().action(MenuItem::Find)->trigger();
    QCOMPARE(editor->selectionStart(), 4);

    // A match right after the last one is skipped.
    editor->replaceText(QStringLiteral("abab"));
    f.prompts.queueInput(QStringLiteral("ab"));
    program()->menus().action(MenuItem::Find)->trigger();
    QCOMPARE(editor->selectionStart(), 0);
    program()->menus().action(MenuItem::FindNext)->trigger();
    QCOMPARE(editor->selectionStart(), 3);
    QCOMPARE(editor->selectionLength(), 0);
    // Cancel: an empty text, which finds nothing.
    program()->menus().action(MenuItem::Find)->trigger();
    QCOMPARE(editor->selectionLength(), 0);
    QCOMPARE(program()->commandHost().findText(), QString());
}

void TstEdit::keysActOnlyWithTheCtrlStateTheyCameWith() {
    RichTextBox* editor = startWith(QStringLiteral("abc"));
    editor->moveCursor(QTextCursor::End);
    // Ctrl went down in a note and came up elsewhere: a plain q is a q.
    QTest::keyPress(editor, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Q);
    QCOMPARE(editor->text(), QStringLiteral("abcq"));
    QTest::keyClick(editor, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(editor->text(), QString());
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);  // the control's own undo
    QCOMPARE(editor->text(), QStringLiteral("abcq"));

    // F6 only without Ctrl.
    note(1)->show();
    QTest::keyClick(editor, Qt::Key_F6, Qt::ControlModifier);
    QVERIFY(note(1)->isVisible());
    QTest::keyClick(editor, Qt::Key_F6);
    QVERIFY(!note(1)->isVisible());
}

void TstEdit::keysForNotesAndWindows() {
    RichTextBox* editor = startWith(QStringLiteral("abc"));
    QVERIFY(program()->saveAll());
    QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f.noteCount(), 2);
    NoteWindow* made = note(2);
    QVERIFY(made->isVisible());
    QCOMPARE(made->note().left, Note().left);  // where a new note stands, not at the edge

    QTRY_VERIFY(made->isActiveWindow());  // it has the keyboard
    giveKeyboard(note(1));
    f.prompts.queueAnswer(Prompts::Answer::Ok);
    QTest::keyClick(editor, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(f.noteCount(), 1);
    QVERIFY(QFile::exists(f.contentFile(1)));

    giveKeyboard(made);
    QTest::keyClick(made->editor(), Qt::Key_F5);
    QVERIFY(program()->dialogs().settings());
    QTest::keyClick(made->editor(), Qt::Key_I, Qt::ControlModifier);
    QVERIFY(program()->dialogs().iconPicker());
}

void TstEdit::theTextClaimsNoKeyOfTheNote() {
    // The text edit claims its own keys before any action (copy, paste, undo, redo, select
    // all, the arrows and the keys that type): none of the note's keys may be among them, with
    // or without the modifiers they ignore.
    RichTextBox* editor = startWith(QStringLiteral("abc"));
    int keys = 0;
    for (const QAction* action : program()->menus().keyActions()) {
        QVERIFY(note(1)->actions().contains(action));
        for (const QKeySequence& shortcut : action->shortcuts()) {
            QKeyEvent claim(QEvent::ShortcutOverride, shortcut[0].key(),
                            shortcut[0].keyboardModifiers());
            QApplication::sendEvent(editor, &claim);
            QVERIFY2(!claim.isAccepted(), qPrintable(shortcut.toString()));
            ++keys;
        }
    }
    QVERIFY(keys > 100);
    // Its own keys it keeps.
    QKeyEvent copy(QEvent::ShortcutOverride, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(editor, &copy);
    QVERIFY(copy.isAccepted());
}

void TstEdit::aLockedNotesKeysDoNotAct() {
    // Its text is hidden, so its commands have nothing to act on; the keys reach its title
    // strip, which keeps the keyboard.
    RichTextBox* editor = startWith(QStringLiteral("secret"));
    NoteWindow* locked = note(1);
    Note values = locked->note();
    values.locked = true;
    values.password = QStringLiteral("pw");
    locked->entry().setValues(values);
    locked->focusTitleStrip();
    QWidget* strip = locked->focusWidget();
    QCOMPARE(strip, locked->titleStrip());
    QVERIFY(locked->unlockButton()->hasFocus());
    const int windows = f.windowCount();
    QTest::keyClick(strip, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(strip, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(strip, Qt::Key_F6);
    QCOMPARE(f.windowCount(), windows);
    QCOMPARE(editor->text(), QStringLiteral("secret"));
    QVERIFY(locked->isVisible());
}

void TstEdit::inputMethodTextReachesTheNote() {
    RichTextBox* editor = startWith(QString());
    QInputMethodEvent preedit(QStringLiteral("zhong"), {});
    QApplication::sendEvent(editor, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("中文"));
    QApplication::sendEvent(editor, &commit);
    QCOMPARE(editor->text(), QStringLiteral("中文"));
}

void TstEdit::iconsGoIntoTheNoteActivatedLast() {
    QFile palette(paths::programDir() + QStringLiteral("/kvz.dat"));
    QVERIFY(palette.open(QIODevice::WriteOnly));
    palette.write(
        "{\\rtf1\\ansi {\\pict\\pngblip\\picw1\\pich1\\picwgoal240\\pichgoal240 "
        "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
        "1f15c4890000000d4944415478da63f8cfc0f01f0005000201a5f1ec5a0000000049454e44"
        "ae426082}\\par}");
    palette.close();
    startWith(QStringLiteral("a"));
    NoteWindow* second = program()->createNote();
    second->editor()->replaceText(QStringLiteral("b"));
    program()->windows().noteActivated(second);

    program()->menus().action(MenuItem::InsertIcon)->trigger();
    IconPicker* picker = program()->dialogs().iconPicker();
    QVERIFY(picker);
    picker->palette->selectAll();
    picker->insertIcon();
    picker->insertIcon();
    QCOMPARE(second->editor()->document()->toRawText().count(QChar::ObjectReplacementCharacter), 2);
    QCOMPARE(note(1)->editor()->text(), QStringLiteral("a"));
    QFile::remove(palette.fileName());
}

void TstEdit::pickerWithoutPaletteOrNoteKeepsRunning() {
    QFile::remove(paths::programDir() + QStringLiteral("/kvz.dat"));
    program()->startUp();
    program()->dialogs().showIconPicker();
    IconPicker* picker = program()->dialogs().iconPicker();
    QVERIFY(picker->palette->placeholderText().contains(QStringLiteral("kvz.dat")));
    program()->windows().close(note(1));
    picker->insertIcon();          // no note to insert into: nothing happens
    QCOMPARE(f.windowCount(), 1);  // the picker
}

void TstEdit::formatKeysActOnceAsTheirItems() {
    RichTextBox* editor = startWith(QStringLiteral("one\r\ntwo"));
    NoteWindow* shown = note(1);
    shown->show();
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    editor->setFocus();
    editor->selectAll();
    // Bound from the edit menu's table, where Shift counts.
    QTest::keyClick(editor, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(editor->selectionBold(), true);
    QCOMPARE(editor->selectionItalic(), false);
    QTest::keyClick(editor, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor->selectionItalic(), true);
    QTest::keyClick(editor, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(editor->selectionAlignment(), Qt::AlignHCenter);
    // A toggle: a key handled twice would switch it back at once.
    QTest::keyClick(editor, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor->selectionBullet(), QVariant(true));
    QCOMPARE(editor->text(), QStringLiteral("one\r\ntwo"));
    // Nor does a key shown in a menu act in another window: the settings dialog is no note.
    QTest::keyClick(editor, Qt::Key_F5);
    SettingsDialog* settings = program()->dialogs().settings();
    QVERIFY(settings);
    settings->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(settings));
    QCOMPARE(QAccessible::queryAccessibleInterface(settings)->role(), QAccessible::Dialog);
    QTest::keyClick(settings, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor->selectionBullet(), QVariant(true));
    program()->windows().close(settings);
    giveKeyboard(note(1));
    // The letters of the old table keep their meaning with Shift held.
    QTest::keyClick(editor, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(program()->dialogs().iconPicker());
}

void TstEdit::menuKeysOpenMenusWhereTheKeyboardIs() {
    RichTextBox* editor = startWith(QStringLiteral("first line\r\nsecond"));
    NoteWindow* shown = note(1);
    shown->moveTwips(1500, 1500, 3345, 3825);  // away from the screen's edges
    shown->show();
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    editor->setFocus();
    editor->setSelectionStart(14);  // on the second line
    QMenu* edit = program()->menus().menu(ProgramMenus::Which::Edit);
    const QPoint caret = shown->keyboardMenuPlace();
    QVERIFY(QRect(editor->mapToGlobal(QPoint(0, 0)), editor->size()).contains(caret));
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
        QTest::keyClick(editor, key, modifiers);
        QVERIFY(edit->isVisible());
        QCOMPARE(edit->pos(), caret);
        QCOMPARE(edit->activeAction(), program()->menus().action(MenuItem::InsertIcon));
        edit->hide();
    }
    // A screen reader names an item by its caption alone.
    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(edit);
    QCOMPARE(items->child(0)->text(QAccessible::Name), QStringLiteral("插入图标"));

    QTest::keyClick(editor, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    QMenu* tray = program()->menus().menu(ProgramMenus::Which::Tray);
    QVERIFY(tray->isVisible());
    QCOMPARE(tray->pos(), caret);
    tray->hide();

    // The menu button pressed by a key opens its menu at the button, not at the pointer.
    QCursor::setPos(shown->mapToGlobal(QPoint(200, 200)));
    IconButton* button = shown->menuButton();
    shown->focusTitleStrip();
    QVERIFY(button->hasFocus());
    QTest::keyClick(shown->titleStrip(), Qt::Key_Space);
    QMenu* noteMenu = program()->menus().menu(ProgramMenus::Which::Note);
    QVERIFY(noteMenu->isVisible());
    QCOMPARE(noteMenu->pos(), shown->mapToGlobal(QPoint(0, 26)));  // below the button
    noteMenu->hide();
}

void TstEdit::pickerByKeys() {
    // Three pictures in a row, a letter between the second and third.
    QByteArray picture =
        "{\\pict\\pngblip\\picw1\\pich1\\picwgoal240\\pichgoal240 "
        "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
        "1f15c4890000000d4944415478da63f8cfc0f01f0005000201a5f1ec5a0000000049454e44"
        "ae426082}";
    QFile palette(paths::programDir() + QStringLiteral("/kvz.dat"));
    QVERIFY(palette.open(QIODevice::WriteOnly));
    palette.write("{\\rtf1\\ansi " + picture + picture + " x " + picture + "\\par}");
    palette.close();
    RichTextBox* editor = startWith(QStringLiteral("a"));
    QTest::keyClick(editor, Qt::Key_I, Qt::ControlModifier);
    IconPicker* picker = program()->dialogs().iconPicker();
    QVERIFY(picker);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(picker);
    QCOMPARE(window->role(), QAccessible::Dialog);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("图标选择"));
    RichTextBox* icons = picker->palette;
    QVERIFY(icons->hasFocus() || !picker->isActiveWindow());
    const auto selected = [icons] {
        return std::pair{icons->textCursor().selectionStart(), icons->textCursor().selectionEnd()};
    };
    QCOMPARE(selected(), std::pair(0, 1));  // the first picture, ready to insert
    QTest::keyClick(icons, Qt::Key_Right);
    QCOMPARE(selected(), std::pair(1, 2));
    QTest::keyClick(icons, Qt::Key_Right);
    QCOMPARE(selected(), std::pair(5, 6));  // past the letter
    QTest::keyClick(icons, Qt::Key_Right);
    QCOMPARE(selected(), std::pair(5, 6));  // the last one stays
    QTest::keyClick(icons, Qt::Key_Left);
    QCOMPARE(selected(), std::pair(1, 2));
    // A click on the picture selected already keeps it selected.
    QTextCursor second(icons->document());
    second.setPosition(1);
    const QRect caret = icons->cursorRect(second);
    QTest::mouseClick(icons->viewport(), Qt::LeftButton, {},
                      QPoint(caret.left() + 8, caret.center().y()));
    QCOMPARE(selected(), std::pair(1, 2));
    QTest::keyClick(icons, Qt::Key_Return);
    QTest::keyClick(icons, Qt::Key_Plus);
    QCOMPARE(editor->document()->toRawText().count(QChar::ObjectReplacementCharacter), 2);
    QTest::keyClick(icons, Qt::Key_Escape);
    QVERIFY(!picker->isVisible());
    QFile::remove(palette.fileName());
}

QTEST_MAIN(TstEdit)
#include "tst_edit.moc"
