// What the items of the three menus say and do.
#include <QDir>
#include <QUrl>

#include "app/traycontroller.h"
#include "commands/editcommands.h"
#include "commands/filecommands.h"
#include "commands/notecommands.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "richtext/richtextbox.h"

QList<Menus::Item> TrayController::menuItems() {
    using W = Menus::Which;
    using M = MenuItem;
    using commands::EditAction;
    auto edit = [this](EditAction what) {
        return [this, what] {
            updateEditMenu();
            commands::edit(m_host, what);
        };
    };
    auto format = [this](bool bold, bool italic) {
        return [this, bold, italic] { commands::setBoldItalic(m_host, bold, italic); };
    };
    auto align = [this](int alignment) {
        return [this, alignment] { commands::alignParagraphs(m_host, alignment); };
    };
    auto help = [this] {
        const QString page = paths::shippedFile(QStringLiteral("Jotpin说明.htm"));
        openPage(QUrl::fromLocalFile(page), QDir::toNativeSeparators(page));
    };
    const bool sep = true;
    return {
        {W::Tray, M::Back, QStringLiteral("返回"), {}, nullptr},
        {W::Tray, M::NewNote, QStringLiteral("新建帖子"), {}, [this] { newNote(); }},
        {W::Tray, M::ShowAll, QStringLiteral("显示所有帖子"), {}, [this] { showAllNotes(); }, sep},
        {W::Tray, M::NoteList, QStringLiteral("帖子列表"), {}, [this] { showNoteList(); }},
        {W::Tray,
         M::NotesOnTop,
         QStringLiteral("帖子在前"),
         {},
         nullptr,
         sep,
         [this](bool on) {
             m_switches.setNotesOnTop(on);
             applyTopmostToAll();
         }},
        {W::Tray, M::HideAll, QStringLiteral("隐藏帖子"), {}, [this] { hideAllNotes(); }},
        {W::Tray,
         M::ReminderSound,
         QStringLiteral("提醒声音开启"),
         {},
         nullptr,
         false,
         [this](bool on) { m_switches.setReminderSound(on); }},
        {W::Tray,
         M::StartWithSession,
         QStringLiteral("自动运行"),
         {},
         nullptr,
         sep,
         [this](bool on) { m_switches.setStartWithSession(on); }},
        {W::Tray, M::Help, QStringLiteral("使用说明"), {}, help, sep},
        {W::Tray,
         M::NewVersion,
         QStringLiteral("检查是否有新版本"),
         {},
         [this] { openPage(QUrl(kNewVersionUrl), kNewVersionUrl); }},
        // Ending the program deletes the menu, which must not happen while it still runs.
        {W::Tray,
         M::Exit,
         QStringLiteral("退出"),
         {},
         [this] { exitProgram(); },
         sep,
         nullptr,
         true},

        {W::Note, M::Clear, QStringLiteral("清空"), QStringLiteral("Ctrl+Q"),
         [this] { commands::clearNote(currentNote()); }},
        {W::Note, M::Open, QStringLiteral("打开"), QStringLiteral("Ctrl+O"),
         [this] { commands::openFile(m_host); }},
        {W::Note, M::Save, QStringLiteral("保存"), QStringLiteral("Ctrl+S"),
         [this] { commands::saveToFile(m_host); }},
        {W::Note, M::Print, QStringLiteral("打印"), QStringLiteral("Ctrl+P"),
         [this] { commands::printNote(m_host); }},
        {W::Note, M::Lock, QStringLiteral("加锁"), QStringLiteral("F4"),
         [this] { commands::lockNote(m_host); }, sep},
        {W::Note, M::Settings, QStringLiteral("设置/提醒"), QStringLiteral("F5"),
         [this] { showSettings(); }},
        {W::Note, M::Hide, QStringLiteral("隐藏"), QStringLiteral("F6"),
         [this] {
             if (NoteWindow* note = currentNote()) note->hide();
         }},
        {W::Note,
         M::ClipboardCapture,
         QStringLiteral("监测剪贴板"),
         {},
         nullptr,
         false,
         [this](bool on) { commands::setClipboardCapture(m_host, on); }},
        {W::Note, M::NoteMenuNewNote, QStringLiteral("新建帖子"), QStringLiteral("Ctrl+N"),
         [this] { commands::newNote(m_host); }, sep},
        {W::Note, M::Delete, QStringLiteral("删除本贴"), QStringLiteral("Ctrl+D"),
         [this] { commands::deleteCurrentNote(m_host); }},

        {W::Edit, M::InsertIcon, QStringLiteral("插入图标"), QStringLiteral("Ctrl+I"),
         [this] { showIconPicker(); }},
        {W::Edit, M::Undo, QStringLiteral("撤除"), {}, edit(EditAction::Undo), sep},
        {W::Edit, M::Cut, QStringLiteral("剪切"), {}, edit(EditAction::Cut)},
        {W::Edit, M::Copy, QStringLiteral("复制"), {}, edit(EditAction::Copy)},
        {W::Edit, M::Paste, QStringLiteral("粘贴"), {}, edit(EditAction::Paste)},
        {W::Edit, M::Remove, QStringLiteral("移除"), {}, edit(EditAction::Remove)},
        {W::Edit, M::Regular, QStringLiteral("普通"), {}, format(false, false), sep},
        {W::Edit, M::Bold, QStringLiteral("粗体"), {}, format(true, false)},
        {W::Edit, M::Italic, QStringLiteral("斜体"), {}, format(false, true)},
        {W::Edit, M::BoldItalic, QStringLiteral("粗斜体"), {}, format(true, true)},
        {W::Edit,
         M::Bullets,
         QStringLiteral("自动排列"),
         {},
         [this] { commands::toggleBullets(m_host); }},
        {W::Edit,
         M::AlignLeft,
         QStringLiteral("文字左对齐"),
         {},
         align(RichTextBox::AlignLeft),
         sep},
        {W::Edit, M::AlignCenter, QStringLiteral("文字居中"), {}, align(RichTextBox::AlignCenter)},
        {W::Edit, M::AlignRight, QStringLiteral("文字右对齐"), {}, align(RichTextBox::AlignRight)},
        {W::Edit, M::Font, QStringLiteral("字体"), QStringLiteral("Ctrl+T"),
         [this] { commands::chooseFont(m_host); }},
        {W::Edit, M::Find, QStringLiteral("查找"), QStringLiteral("Ctrl+F"),
         [this] { commands::find(m_host); }, sep},
        {W::Edit, M::FindNext, QStringLiteral("查找下一个"), QStringLiteral("F3"),
         [this] { commands::findNext(m_host); }},
    };
}
