#include "app/traycontroller.h"

// The menus of a note and the wiring of its buttons and text to the commands.

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

#include "commands/editcommands.h"
#include "commands/filecommands.h"
#include "commands/notecommands.h"
#include "commands/notekeys.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "richtext/richtextbox.h"

void TrayController::connectNote(NoteWindow* note) {
    connect(note, &NoteWindow::activated, this, [this, note] {
        m_windows.noteActivated(note);
        if (m_settings) m_settings->showNoteColour();  // the dialog now acts on this note
    });
    connect(note, &NoteWindow::changed, this, &TrayController::storeChanged);
    connect(note, &NoteWindow::contentChanged, this,
            [this, note] { m_notebook.contentChanged(note); });
    // The title strip. A click there activates the note; the commands act on it even when the
    // window manager is slow to say so.
    connect(note->menuButton, &IconButton::clicked, this,
            [this, note] { popUpNoteMenu(note, QCursor::pos()); });
    connect(note->alarmIcon, &IconButton::clicked, this,
            [this, note] { note->closeAlarm(m_switches.notesOnTop()); });
    connect(note->unlockButton, &IconButton::clicked, this, [note] { commands::unlockNote(note); });
    connect(note->hideButton, &IconButton::clicked, note, &QWidget::hide);
    connect(note->deleteButton, &IconButton::clicked, this, [this, note] {
        m_windows.noteActivated(note);
        commands::deleteNoteAsked(*this, note);
    });
    // The text's keys and its right button.
    connect(
        note->editor(), &RichTextBox::KeyDown, this,
        [this, note](int* key, Qt::KeyboardModifiers modifiers) {
            if (commands::noteKey(*this, note, *key, modifiers)) *key = 0;
        },
        Qt::DirectConnection);
    connect(note->editor(), &RichTextBox::MouseDown, this,
            [this, note](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) {
                if (button == Qt::RightButton)
                    popUpEditMenu(note, note->editor()->mapToGlobal(pos));
            });
}

void TrayController::buildEditMenu() {
    editMenu = new QMenu(QStringLiteral("Edit"), this);
    auto item = [this](const QString& caption, auto command) {
        QAction* action = editMenu->addAction(caption);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    using commands::EditAction;
    auto editItem = [&](const QString& caption, EditAction what) {
        return item(caption, [this, what] {
            updateEditMenu();
            commands::edit(*this, what);
        });
    };
    insertIconAction = item(QStringLiteral("插入图标\tCtrl+I"), [this] { showIconPicker(); });
    editMenu->addSeparator();
    undoAction = editItem(QStringLiteral("撤除"), EditAction::Undo);
    cutAction = editItem(QStringLiteral("剪切"), EditAction::Cut);
    copyAction = editItem(QStringLiteral("复制"), EditAction::Copy);
    pasteAction = editItem(QStringLiteral("粘贴"), EditAction::Paste);
    removeAction = editItem(QStringLiteral("移除"), EditAction::Remove);
    editMenu->addSeparator();
    auto format = [&](const QString& caption, bool bold, bool italic) {
        return item(caption,
                    [this, bold, italic] { commands::setBoldItalic(*this, bold, italic); });
    };
    regularAction = format(QStringLiteral("普通"), false, false);
    boldAction = format(QStringLiteral("粗体"), true, false);
    italicAction = format(QStringLiteral("斜体"), false, true);
    boldItalicAction = format(QStringLiteral("粗斜体"), true, true);
    bulletAction = item(QStringLiteral("自动排列"), [this] { commands::toggleBullets(*this); });
    editMenu->addSeparator();
    auto align = [&](const QString& caption, int alignment) {
        return item(caption, [this, alignment] { commands::alignParagraphs(*this, alignment); });
    };
    alignLeftAction = align(QStringLiteral("文字左对齐"), RichTextBox::AlignLeft);
    alignCenterAction = align(QStringLiteral("文字居中"), RichTextBox::AlignCenter);
    alignRightAction = align(QStringLiteral("文字右对齐"), RichTextBox::AlignRight);
    fontAction = item(QStringLiteral("字体\tCtrl+T"), [this] { commands::chooseFont(*this); });
    editMenu->addSeparator();
    findAction = item(QStringLiteral("查找\tCtrl+F"), [this] { commands::find(*this); });
    findNextAction = item(QStringLiteral("查找下一个\tF3"), [this] { commands::findNext(*this); });
    // As the menu opens, and once more after it closed.
    connect(editMenu, &QMenu::aboutToShow, this, &TrayController::updateEditMenu);
    connect(editMenu, &QMenu::aboutToHide, this, &TrayController::updateEditMenu);
}

void TrayController::updateEditMenu() {
    const NoteWindow* note = currentNote();
    if (!note) return;
    const commands::EditEnables on =
        commands::editEnables(*note->editor(), QGuiApplication::clipboard()->mimeData());
    undoAction->setEnabled(on.undo);
    cutAction->setEnabled(on.cut);
    copyAction->setEnabled(on.copy);
    pasteAction->setEnabled(on.paste);
    removeAction->setEnabled(on.remove);
}

void TrayController::popUpEditMenu(NoteWindow* note, QPoint at) {
    if (!note) return;
    m_windows.noteActivated(note);
    editMenu->popup(at);
}

void TrayController::buildNoteMenu() {
    noteMenu = new QMenu(QStringLiteral("main"), this);
    // The key is shown beside the caption only: the note's text control handles the keys.
    auto item = [this](const QString& caption, const QString& key, auto command) {
        QAction* action = noteMenu->addAction(key.isEmpty() ? caption : caption + u'\t' + key);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    clearAction = item(QStringLiteral("清空"), QStringLiteral("Ctrl+Q"),
                       [this] { commands::clearNote(currentNote()); });
    openAction = item(QStringLiteral("打开"), QStringLiteral("Ctrl+O"),
                      [this] { commands::openFile(*this); });
    saveAction = item(QStringLiteral("保存"), QStringLiteral("Ctrl+S"),
                      [this] { commands::saveToFile(*this); });
    printAction = item(QStringLiteral("打印"), QStringLiteral("Ctrl+P"),
                       [this] { commands::printNote(*this); });
    noteMenu->addSeparator();
    lockAction =
        item(QStringLiteral("加锁"), QStringLiteral("F4"), [this] { commands::lockNote(*this); });
    settingsAction =
        item(QStringLiteral("设置/提醒"), QStringLiteral("F5"), [this] { showSettings(); });
    hideAction = item(QStringLiteral("隐藏"), QStringLiteral("F6"), [this] {
        if (NoteWindow* note = currentNote()) note->hide();
    });
    clipboardCaptureAction = item(QStringLiteral("监测剪贴板"), QString(), [this](bool checked) {
        commands::setClipboardCapture(*this, checked);
    });
    clipboardCaptureAction->setCheckable(true);
    noteMenu->addSeparator();
    newNoteMenuAction = item(QStringLiteral("新建帖子"), QStringLiteral("Ctrl+N"),
                             [this] { commands::newNote(*this); });
    deleteAction = item(QStringLiteral("删除本贴"), QStringLiteral("Ctrl+D"),
                        [this] { commands::deleteCurrentNote(*this); });
}

void TrayController::popUpNoteMenu(NoteWindow* note, QPoint at) {
    if (!note || note->isLocked()) return;
    m_windows.noteActivated(note);
    noteMenu->popup(at);
}
