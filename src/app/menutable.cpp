// What the items of the three menus say and do.
#include <QDir>
#include <QUrl>

#include "app/menutable.h"
#include "commands/editcommands.h"
#include "commands/filecommands.h"
#include "commands/notecommands.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "richtext/richtextbox.h"

QList<ProgramMenus::Item> programMenuItems(const MenuWiring& app) {
    // Each item keeps copies of what it calls: the wiring itself is gone once the menus are built.
    CommandHost& host = app.host;
    ProgramSwitches& switches = app.switches;
    using W = ProgramMenus::Which;
    using M = MenuItem;
    using commands::EditAction;
    auto edit = [&app, &host](EditAction what) {
        return [update = app.updateEditMenu, &host, what] {
            update();
            commands::edit(host, what);
        };
    };
    auto format = [&host](bool bold, bool italic) {
        return [&host, bold, italic] { commands::setBoldItalic(host, bold, italic); };
    };
    auto align = [&host](Qt::Alignment alignment) {
        return [&host, alignment] { commands::alignParagraphs(host, alignment); };
    };
    auto help = [open = app.openPage] {
        const QString page = paths::shippedFile(QStringLiteral("Jotpin说明.htm"));
        open(QUrl::fromLocalFile(page), QDir::toNativeSeparators(page));
    };
    // The keys of the note commands act with Shift, Alt or Meta held as well.
    auto loose = [](QKeyCombination keys) { return ProgramMenus::Key(keys, true); };
    const bool sep = true;
    return {
        {W::Tray, M::Back, QStringLiteral("返回"), {}, nullptr},
        {W::Tray, M::NewNote, QStringLiteral("新建帖子"), {}, [&host] { commands::newNote(host); }},
        {W::Tray, M::ShowAll, QStringLiteral("显示所有帖子"), {}, app.showAllNotes, sep},
        {W::Tray, M::NoteList, QStringLiteral("帖子列表"), {}, app.showNoteList},
        {W::Tray,
         M::NotesOnTop,
         QStringLiteral("帖子在前"),
         {},
         nullptr,
         sep,
         [&host, &switches](bool on) {
             switches.setNotesOnTop(on);
             host.applyTopmostToAll();
         }},
        {W::Tray, M::HideAll, QStringLiteral("隐藏帖子"), {}, app.hideAllNotes},
        {W::Tray,
         M::ReminderSound,
         QStringLiteral("提醒声音开启"),
         {},
         nullptr,
         false,
         [&switches](bool on) { switches.setReminderSound(on); }},
        {W::Tray,
         M::StartWithSession,
         QStringLiteral("自动运行"),
         {},
         nullptr,
         sep,
         [&switches](bool on) { switches.setStartWithSession(on); }},
        {W::Tray, M::Help, QStringLiteral("使用说明"), {}, help, sep},
        {W::Tray,
         M::NewVersion,
         QStringLiteral("检查是否有新版本"),
         {},
         [open = app.openPage] { open(QUrl(kNewVersionUrl), kNewVersionUrl); }},
        // Ending the program deletes the menu, which must not happen while it still runs.
        {W::Tray, M::Exit, QStringLiteral("退出"), {}, app.exitProgram, sep, nullptr, true},

        {W::Note, M::Clear, QStringLiteral("清空"), loose(Qt::CTRL | Qt::Key_Q),
         [&host] { commands::clearNote(host.currentNote()); }},
        {W::Note, M::Open, QStringLiteral("打开"), loose(Qt::CTRL | Qt::Key_O),
         [&host] { commands::openFile(host); }},
        {W::Note, M::Save, QStringLiteral("保存"), loose(Qt::CTRL | Qt::Key_S),
         [&host] { commands::saveToFile(host); }},
        {W::Note, M::Print, QStringLiteral("打印"), loose(Qt::CTRL | Qt::Key_P),
         [&host] { commands::printNote(host); }},
        {W::Note, M::Lock, QStringLiteral("加锁"), loose(Qt::Key_F4),
         [&host] { commands::lockNote(host); }, sep},
        {W::Note, M::Settings, QStringLiteral("设置/提醒"), loose(Qt::Key_F5),
         [&host] { host.showSettings(); }},
        {W::Note, M::Hide, QStringLiteral("隐藏"), loose(Qt::Key_F6),
         [&host] {
             if (NoteWindow* note = host.currentNote()) note->hide();
         }},
        {W::Note,
         M::ClipboardCapture,
         QStringLiteral("监测剪贴板"),
         {},
         nullptr,
         false,
         [&host](bool on) { commands::setClipboardCapture(host, on); }},
        // The key makes the note where new notes stand, not at the screen edge.
        {W::Note, M::NoteMenuNewNote, QStringLiteral("新建帖子"), loose(Qt::CTRL | Qt::Key_N),
         [&host] { commands::newNote(host); }, sep, nullptr, false,
         [&host] { commands::newNoteInPlace(host); }},
        {W::Note, M::Delete, QStringLiteral("删除本贴"), loose(Qt::CTRL | Qt::Key_D),
         [&host] { commands::deleteCurrentNote(host); }},

        {W::Edit, M::InsertIcon, QStringLiteral("插入图标"), loose(Qt::CTRL | Qt::Key_I),
         [&host] { host.showIconPicker(); }},
        {W::Edit, M::Undo, QStringLiteral("撤除"), {}, edit(EditAction::Undo), sep},
        {W::Edit, M::Cut, QStringLiteral("剪切"), {}, edit(EditAction::Cut)},
        {W::Edit, M::Copy, QStringLiteral("复制"), {}, edit(EditAction::Copy)},
        {W::Edit, M::Paste, QStringLiteral("粘贴"), {}, edit(EditAction::Paste)},
        {W::Edit, M::Remove, QStringLiteral("移除"), {}, edit(EditAction::Remove)},
        {W::Edit, M::Regular, QStringLiteral("普通"), Qt::CTRL | Qt::Key_M, format(false, false),
         sep},
        {W::Edit, M::Bold, QStringLiteral("粗体"), Qt::CTRL | Qt::Key_B, format(true, false)},
        {W::Edit, M::Italic, QStringLiteral("斜体"), Qt::CTRL | Qt::Key_G, format(false, true)},
        {W::Edit, M::BoldItalic, QStringLiteral("粗斜体"), Qt::CTRL | Qt::SHIFT | Qt::Key_B,
         format(true, true)},
        {W::Edit, M::Bullets, QStringLiteral("自动排列"), Qt::CTRL | Qt::SHIFT | Qt::Key_L,
         [&host] { commands::toggleBullets(host); }},
        {W::Edit, M::AlignLeft, QStringLiteral("文字左对齐"), Qt::CTRL | Qt::Key_L,
         align(Qt::AlignLeft), sep},
        {W::Edit, M::AlignCenter, QStringLiteral("文字居中"), Qt::CTRL | Qt::Key_E,
         align(Qt::AlignHCenter)},
        {W::Edit, M::AlignRight, QStringLiteral("文字右对齐"), Qt::CTRL | Qt::Key_R,
         align(Qt::AlignRight)},
        {W::Edit, M::Font, QStringLiteral("字体"), loose(Qt::CTRL | Qt::Key_T),
         [&host] { commands::chooseFont(host); }},
        {W::Edit, M::Find, QStringLiteral("查找"), loose(Qt::CTRL | Qt::Key_F),
         [&host] { commands::find(host); }, sep},
        {W::Edit, M::FindNext, QStringLiteral("查找下一个"), loose(Qt::Key_F3),
         [&host] { commands::findNext(host); }},

        // For those without a mouse: the tray menu where the keyboard is in the note.
        {W::None, M::TrayMenuAtNote, QString(), loose(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
         [&host] {
             if (const NoteWindow* note = host.currentNote())
                 host.popUpTrayMenu(note->keyboardMenuPlace());
         }},
        // The note list with the keyboard in its search field. Not Ctrl+Shift+F: Ctrl+F finds
        // in the note with Shift held too.
        {W::None, M::SearchAllNotes, QString(), loose(Qt::CTRL | Qt::Key_K), app.showNoteList},
    };
}
