// What the items of the three menus say and do.
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QUrl>

#include "app/menutable.h"
#include "commands/editcommands.h"
#include "commands/filecommands.h"
#include "commands/notecommands.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "richtext/richtextbox.h"
#include "text/links.h"

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
    return {
        {.menu = W::Tray, .id = M::Back, .caption = QStringLiteral("返回")},
        {.menu = W::Tray,
         .id = M::NewNote,
         .caption = QStringLiteral("新建帖子"),
         .command = [&host] { commands::newNote(host); }},
        {.menu = W::Tray,
         .id = M::ShowAll,
         .caption = QStringLiteral("显示所有帖子"),
         .command = app.showAllNotes,
         .separatorBefore = true},
        {.menu = W::Tray,
         .id = M::NoteList,
         .caption = QStringLiteral("帖子列表"),
         .command = app.showNoteList},
        {.menu = W::Tray,
         .id = M::NotesOnTop,
         .caption = QStringLiteral("帖子在前"),
         .separatorBefore = true,
         .checked =
             [&host, &switches](bool on) {
                 switches.setNotesOnTop(on);
                 host.applyTopmostToAll();
             }},
        {.menu = W::Tray,
         .id = M::HideAll,
         .caption = QStringLiteral("隐藏帖子"),
         .command = app.hideAllNotes},
        {.menu = W::Tray,
         .id = M::ReminderSound,
         .caption = QStringLiteral("提醒声音开启"),
         .checked = [&switches](bool on) { switches.setReminderSound(on); }},
        {.menu = W::Tray,
         .id = M::StartWithSession,
         .caption = QStringLiteral("自动运行"),
         .separatorBefore = true,
         .checked = [&switches](bool on) { switches.setStartWithSession(on); }},
        {.menu = W::Tray,
         .id = M::Help,
         .caption = QStringLiteral("使用说明"),
         .command = help,
         .separatorBefore = true},
        {.menu = W::Tray,
         .id = M::NewVersion,
         .caption = QStringLiteral("检查是否有新版本"),
         .command = [open = app.openPage] { open(QUrl(kNewVersionUrl), kNewVersionUrl); }},
        // Ending the program deletes the menu, which must not happen while it still runs.
        {.menu = W::Tray,
         .id = M::Exit,
         .caption = QStringLiteral("退出"),
         .command = app.exitProgram,
         .separatorBefore = true,
         .afterClosing = true},

        {.menu = W::Note,
         .id = M::Clear,
         .caption = QStringLiteral("清空"),
         .keys = {Qt::CTRL | Qt::Key_Q},
         .othersIgnored = true,
         .command = [&host] { commands::clearNote(host.currentNote()); }},
        {.menu = W::Note,
         .id = M::Open,
         .caption = QStringLiteral("打开"),
         .keys = {Qt::CTRL | Qt::Key_O},
         .othersIgnored = true,
         .command = [&host] { commands::openFile(host); }},
        {.menu = W::Note,
         .id = M::Save,
         .caption = QStringLiteral("保存"),
         .keys = {Qt::CTRL | Qt::Key_S},
         .othersIgnored = true,
         .command = [&host] { commands::saveToFile(host); }},
        {.menu = W::Note,
         .id = M::Print,
         .caption = QStringLiteral("打印"),
         .keys = {Qt::CTRL | Qt::Key_P},
         .othersIgnored = true,
         .command = [&host] { commands::printNote(host); }},
        {.menu = W::Note,
         .id = M::Lock,
         .caption = QStringLiteral("加锁"),
         .keys = {Qt::Key_F4},
         .othersIgnored = true,
         .command = [&host] { commands::lockNote(host); },
         .separatorBefore = true},
        {.menu = W::Note,
         .id = M::Settings,
         .caption = QStringLiteral("设置/提醒"),
         .keys = {Qt::Key_F5},
         .othersIgnored = true,
         .command = [&host] { host.showSettings(); }},
        {.menu = W::Note,
         .id = M::Hide,
         .caption = QStringLiteral("隐藏"),
         .keys = {Qt::Key_F6},
         .othersIgnored = true,
         .command =
             [&host] {
                 if (NoteWindow* note = host.currentNote()) note->hide();
             }},
        {.menu = W::Note,
         .id = M::ClipboardCapture,
         .caption = QStringLiteral("监测剪贴板"),
         .checked = [&host](bool on) { commands::setClipboardCapture(host, on); }},
        // The key makes the note where new notes stand, not at the screen edge.
        {.menu = W::Note,
         .id = M::NoteMenuNewNote,
         .caption = QStringLiteral("新建帖子"),
         .keys = {Qt::CTRL | Qt::Key_N},
         .othersIgnored = true,
         .command = [&host] { commands::newNote(host); },
         .separatorBefore = true,
         .byKey = [&host] { commands::newNoteInPlace(host); }},
        {.menu = W::Note,
         .id = M::Delete,
         .caption = QStringLiteral("删除本贴"),
         .keys = {Qt::CTRL | Qt::Key_D},
         .othersIgnored = true,
         .command = [&host] { commands::deleteCurrentNote(host); }},

        {.menu = W::Edit,
         .id = M::InsertIcon,
         .caption = QStringLiteral("插入图标"),
         .keys = {Qt::CTRL | Qt::Key_I},
         .othersIgnored = true,
         .command = [&host] { host.showIconPicker(); }},
        {.menu = W::Edit,
         .id = M::Undo,
         .caption = QStringLiteral("撤除"),
         .command = edit(EditAction::Undo),
         .separatorBefore = true},
        {.menu = W::Edit,
         .id = M::Cut,
         .caption = QStringLiteral("剪切"),
         .command = edit(EditAction::Cut)},
        {.menu = W::Edit,
         .id = M::Copy,
         .caption = QStringLiteral("复制"),
         .command = edit(EditAction::Copy)},
        {.menu = W::Edit,
         .id = M::Paste,
         .caption = QStringLiteral("粘贴"),
         .command = edit(EditAction::Paste)},
        {.menu = W::Edit,
         .id = M::Remove,
         .caption = QStringLiteral("移除"),
         .command = edit(EditAction::Remove)},
        {.menu = W::Edit,
         .id = M::Regular,
         .caption = QStringLiteral("普通"),
         .keys = {Qt::CTRL | Qt::Key_M},
         .command = format(false, false),
         .separatorBefore = true},
        {.menu = W::Edit,
         .id = M::Bold,
         .caption = QStringLiteral("粗体"),
         .keys = {Qt::CTRL | Qt::Key_B},
         .command = format(true, false)},
        {.menu = W::Edit,
         .id = M::Italic,
         .caption = QStringLiteral("斜体"),
         .keys = {Qt::CTRL | Qt::Key_G},
         .command = format(false, true)},
        {.menu = W::Edit,
         .id = M::BoldItalic,
         .caption = QStringLiteral("粗斜体"),
         .keys = {Qt::CTRL | Qt::SHIFT | Qt::Key_B},
         .command = format(true, true)},
        {.menu = W::Edit,
         .id = M::Bullets,
         .caption = QStringLiteral("自动排列"),
         .keys = {Qt::CTRL | Qt::SHIFT | Qt::Key_L},
         .command = [&host] { commands::toggleBullets(host); }},
        {.menu = W::Edit,
         .id = M::Checklist,
         .caption = QStringLiteral("清单"),
         .keys = {Qt::CTRL | Qt::Key_1},
         .command = [&host] { commands::toggleChecklist(host); }},
        {.menu = W::Edit,
         .id = M::AlignLeft,
         .caption = QStringLiteral("文字左对齐"),
         .keys = {Qt::CTRL | Qt::Key_L},
         .command = align(Qt::AlignLeft),
         .separatorBefore = true},
        {.menu = W::Edit,
         .id = M::AlignCenter,
         .caption = QStringLiteral("文字居中"),
         .keys = {Qt::CTRL | Qt::Key_E},
         .command = align(Qt::AlignHCenter)},
        {.menu = W::Edit,
         .id = M::AlignRight,
         .caption = QStringLiteral("文字右对齐"),
         .keys = {Qt::CTRL | Qt::Key_R},
         .command = align(Qt::AlignRight)},
        {.menu = W::Edit,
         .id = M::Font,
         .caption = QStringLiteral("字体"),
         .keys = {Qt::CTRL | Qt::Key_T},
         .othersIgnored = true,
         .command = [&host] { commands::chooseFont(host); }},
        {.menu = W::Edit,
         .id = M::Find,
         .caption = QStringLiteral("查找"),
         .keys = {Qt::CTRL | Qt::Key_F},
         .othersIgnored = true,
         .command = [&host] { commands::find(host); },
         .separatorBefore = true},
        {.menu = W::Edit,
         .id = M::FindNext,
         .caption = QStringLiteral("查找下一个"),
         .keys = {Qt::Key_F3},
         .othersIgnored = true,
         .command = [&host] { commands::findNext(host); }},
        // Shown only while the edit menu is opened on a link.
        {.menu = W::Edit,
         .id = M::OpenLink,
         .caption = QStringLiteral("打开链接"),
         .command =
             [&host, open = app.openPage] {
                 if (const std::optional<QUrl> url = commands::menuLink(host))
                     open(*url, links::address(*url));
             },
         .separatorBefore = true},
        {.menu = W::Edit,
         .id = M::CopyLinkAddress,
         .caption = QStringLiteral("复制链接地址"),
         .command =
             [&host] {
                 if (const std::optional<QUrl> url = commands::menuLink(host))
                     QGuiApplication::clipboard()->setText(links::address(*url));
             }},

        // Without a mouse: the edit menu at the caret, or the note menu at the focused button of
        // the title strip.
        {.id = M::MenuAtKeyboard,
         .keys = {Qt::Key_Menu, Qt::SHIFT | Qt::Key_F10},
         .command = app.popUpMenuAtKeyboard},
        // The tray menu where the keyboard is in the note.
        {.id = M::TrayMenuAtNote,
         .keys = {Qt::CTRL | Qt::SHIFT | Qt::Key_M},
         .othersIgnored = true,
         .command =
             [&host] {
                 if (const NoteWindow* note = host.currentNote())
                     host.popUpTrayMenu(note->keyboardMenuPlace());
             }},
        // The note list with the keyboard in its search field. Not Ctrl+Shift+F: Ctrl+F finds
        // in the note with Shift held too.
        {.id = M::SearchAllNotes,
         .keys = {Qt::CTRL | Qt::Key_K},
         .othersIgnored = true,
         .command = app.showNoteList},
    };
}
