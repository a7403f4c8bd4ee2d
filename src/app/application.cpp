#include "app/application.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPointer>
#include <QUrl>
#include <tuple>

#include "app/menutable.h"
#include "app/requests.h"
#include "app/storeeventtext.h"
#include "app/topmost.h"
#include "commands/editcommands.h"
#include "desktop/prompts.h"
#include "desktop/shell.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "store/notestore.h"

Application::Application(AutoSave::Delays autoSaveDelays, SyncDelays syncDelays)
    : m_autoSaveDelays(autoSaveDelays),
      m_store(m_shelf, m_switches,
              {paths::storeDir(), paths::snapshotsDir(), paths::conflictsDir(), kSnapshotDays},
              syncDelays),
      m_menus(
          programMenuItems(
              {m_host, m_switches, [this] { showAllNotes(); }, [this] { hideAllNotes(); },
               [this] { m_dialogs.showNoteList(); }, [this] { exitProgram(); },
               [this] { updateEditMenu(); }, [this] { popUpMenuAtKeyboard(); },
               [this](const QUrl& url, const QString& shown) { openPage(url, shown); }}),
          [this](const std::function<void()>& command) { runNoteKey(command); }, &m_owner) {
    m_host.setTrayMenu([this](QPoint at) { popUpTrayMenuAt(at); });
    // A switch item shows its switch.
    for (auto [id, on, changed] :
         {std::tuple{MenuItem::NotesOnTop, &ProgramSwitches::notesOnTop,
                     &ProgramSwitches::notesOnTopChanged},
          std::tuple{MenuItem::ReminderSound, &ProgramSwitches::reminderSound,
                     &ProgramSwitches::reminderSoundChanged},
          std::tuple{MenuItem::StartWithSession, &ProgramSwitches::startWithSession,
                     &ProgramSwitches::startWithSessionChanged}}) {
        QAction* action = m_menus.action(id);
        action->setChecked((m_switches.*on)());
        connect(&m_switches, changed, action, &QAction::setChecked);
    }
    // As the edit menu opens, and once more after it closed.
    QMenu* editMenu = m_menus.menu(ProgramMenus::Which::Edit);
    connect(editMenu, &QMenu::aboutToShow, this, &Application::updateEditMenu);
    connect(editMenu, &QMenu::aboutToHide, this, &Application::updateEditMenu);

    connect(&m_notes, &NoteFactory::made, this, &Application::connectNote);
    connect(&m_shelf, &WindowShelf::firstWanted, this, &Application::newNote);
    connect(&m_tray, &ProgramTray::newNoteWanted, this, &Application::newNote);
    connect(&m_end, &ProgramEnd::ended, this, &Application::ended);
    connect(&m_store, &StoreSync::happened, this,
            [this](const StoreEvent& event) { tellUser(storeEventText(event)); });
    connect(&m_dialogs, &ModelessDialogs::storeChosen, this, &Application::switchStore);
    connect(&m_dialogs, &ModelessDialogs::matchPicked, this,
            [this](NoteWindow* note, const QString& text) {
                commands::findFromStart(m_host, note, text);
            });
    connect(&m_noteList, &NoteList::edited, &m_store, &StoreSync::changed);
    connect(&m_noteList, &NoteList::contentEdited, &m_store, &StoreSync::contentChanged);
    connect(&m_noteList, &NoteList::removed, &m_store, [this](NoteId id) {
        m_store.forget(id);
        m_store.changed();
    });
}

void Application::startUp() {
    m_tray.show();
    m_store.setStoreDir(paths::storeDir());
    QStringList problems;
    if (store::adoptStore(paths::programDir(), m_store.storeDir(), &problems))
        tellUser(QStringLiteral("程序所在的文件夹不能写入，帖子已复制到 %1，今后保存在那里。")
                     .arg(QDir::toNativeSeparators(m_store.storeDir())));
    if (!problems.isEmpty())
        tellUser(QStringLiteral("读取帖子时出了问题：\n") + problems.join(u'\n'));
    m_store.load();
    m_ticks.start();
    qApp->installEventFilter(
        new DialogsAboveNotes([this] { return m_switches.notesOnTop(); }, this));

    m_store.saveSoon(m_autoSaveDelays);
    for (auto changed :
         {&ProgramSwitches::notesOnTopChanged, &ProgramSwitches::reminderSoundChanged,
          &ProgramSwitches::startWithSessionChanged})
        connect(&m_switches, changed, &m_store, &StoreSync::changed);
}

void Application::openPage(const QUrl& url, const QString& shown) {
    QPointer<Application> self(this);
    Shell::instance().open(url, [self, shown] {
        if (self)
            self->tellUser(QStringLiteral("没有能打开这一页的浏览器。请自己打开：\n") + shown);
    });
}

NoteWindow* Application::createNote() {
    return m_notes.create();
}

void Application::newNote() {
    commands::newNote(m_host);
}

void Application::perform(const QString& request) {
    if (request == requests::kNewNote)
        newNote();
    else if (request == requests::kNoteList)
        m_dialogs.showNoteList();
    else if (request == requests::kShowAll)
        showAllNotes();
    else if (request == requests::kQuit)
        exitProgram();
    else
        m_tray.activateFromOutside();  // "show", or a word of another version: come forward
}

void Application::showAllNotes() {
    // The notes in the order they were made, then the dialogs: each raised above the last.
    QList<QWidget*> windows;
    for (NoteEntry* note : m_noteList.entries())
        windows.append(m_notes.windowFor(*note));
    for (QWidget* window : m_windows.windows()) {
        if (!qobject_cast<NoteWindow*>(window)) windows.append(window);
    }
    for (QWidget* window : windows) {
        window->show();
        window->raise();
    }
}

void Application::hideAllNotes() {
    for (QWidget* window : m_windows.windows())
        window->hide();
}

void Application::exitProgram() {
    m_dialogs.closeAll();
    // On OK the program ends while the question is still up, as fast as at SIGTERM: closed
    // first, the question would give every note back from its block, part by part.
    auto end = [this] { m_end.end(true); };
    Prompts::instance().askOkCancelThen(QStringLiteral("您真的希望退出《Jotpin》吗？"),
                                        QStringLiteral("退出软件"), end);
}

void Application::switchStore(const QString& dir, bool move) {
    if (!m_end.hasEnded()) m_storeSwitch.switchTo(dir, move);
}

void Application::shutDown() {
    m_end.end();
}
