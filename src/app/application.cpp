#include "app/application.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QUrl>
#include <cstdio>
#include <tuple>

#include "app/menutable.h"
#include "app/requests.h"
#include "app/storeeventtext.h"
#include "app/storemove.h"
#include "app/topmost.h"
#include "commands/editcommands.h"
#include "desktop/prompts.h"
#include "desktop/shell.h"
#include "desktop/sound.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/autostart.h"
#include "store/notestore.h"

namespace {

void report(const QString& message) {
    std::fprintf(stderr, "jotpin: %s\n", qPrintable(message));
}

}  // namespace

Application::Application(AutoSave::Delays autoSaveDelays, SyncDelays syncDelays)
    : m_autoSaveDelays(autoSaveDelays),
      m_syncDelays(syncDelays),
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

    connect(&m_store, &StoreSync::happened, this,
            [this](const StoreEvent& event) { tellUser(storeEventText(event)); });
    connect(&m_dialogs, &ModelessDialogs::storeChosen, this, &Application::switchStore);
    connect(&m_dialogs, &ModelessDialogs::matchPicked, this,
            [this](NoteWindow* note, const QString& text) {
                commands::findFromStart(m_host, note, text);
            });
    connect(&m_windows, &OpenWindows::closed, this, [this](QWidget* window) {
        const auto* note = qobject_cast<NoteWindow*>(window);
        if (!note) return;
        m_store.forget(note->id());
        // After the window, which is deleted first.
        m_noteList.remove(note->id());
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
    NoteWindow* note = m_notes.create();
    connectNote(note);
    m_store.contentChanged(note->id());
    m_store.changed();
    return note;
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
    for (int i = 1; i < m_windows.count(); ++i) {
        QWidget* window = m_windows.at(i);
        window->show();
        window->raise();
    }
}

void Application::hideAllNotes() {
    for (int i = 1; i < m_windows.count(); ++i)
        m_windows.at(i)->hide();
}

void Application::exitProgram() {
    m_dialogs.closeAll();
    // On OK the program ends while the question is still up, as fast as at SIGTERM: closed
    // first, the question would give every note back from its block, part by part.
    auto end = [this] {
        m_askOnFailedSave = true;
        shutDown();
    };
    Prompts::instance().askOkCancelThen(QStringLiteral("您真的希望退出《Jotpin》吗？"),
                                        QStringLiteral("退出软件"), end);
}

void Application::switchStore(const QString& dir, bool move) {
    if (m_ended) return;
    const QString from = paths::storeDir();
    const QString title = QStringLiteral("帖子文件夹");
    Prompts& prompts = Prompts::instance();
    // From here until the end nothing is written into the old folder: saving soon stops, and
    // the program does not go back to its events (another machine's files are not read in).
    QStringList problems;
    if (!m_store.finish(&problems)) {
        // A store that cannot be saved (its folder gone, its tie.dat unreadable) must not keep
        // the program on it for good: another store may still be opened, losing what was not
        // saved. Files that could not be saved are never moved.
        const bool gone = !QFileInfo(from).isDir();
        const bool refused = move && !gone;
        if (refused ||
            prompts.askOkCancel(QStringLiteral("帖子没有保存：\n%1\n\n仍然换到帖子文件夹 %2 吗？"
                                               "没有保存的改动会丢失。")
                                    .arg(problems.join(u'\n'), QDir::toNativeSeparators(dir)),
                                title) != Prompts::Answer::Ok) {
            m_store.saveSoon(m_autoSaveDelays);
            if (refused)
                prompts.warn(QStringLiteral("帖子没有保存，所以没有搬，帖子文件夹也没有换：\n") +
                                 problems.join(u'\n'),
                             title);
            return;
        }
    }
    QStringList copied;
    QString error;
    if (move && !storemove::copyStore(from, dir, &copied, &error)) {
        m_store.saveSoon(m_autoSaveDelays);
        prompts.warn(QStringLiteral("帖子没能搬到 %1：\n%2\n\n什么都没有删除，帖子仍在 %3，"
                                    "Jotpin 照常使用那里的帖子。")
                         .arg(QDir::toNativeSeparators(dir), error, QDir::toNativeSeparators(from)),
                     title);
        return;
    }
    if (!paths::rememberStoreDir(dir, &error)) {
        storemove::removeOriginals(dir, from, copied);  // the copies go again
        m_store.saveSoon(m_autoSaveDelays);
        prompts.warn(QStringLiteral("无法记住帖子文件夹，帖子仍在 %1：\n%2")
                         .arg(QDir::toNativeSeparators(from), error),
                     title);
        return;
    }
    for (const QString& name : storemove::removeOriginals(from, dir, copied))
        report(QDir::toNativeSeparators(from + u'/' + name) +
               QStringLiteral(": 与复制的文件不同或无法删除，留在原处"));
    m_restartAfterEnd = true;
    shutDown();
}

void Application::shutDown() {
    if (m_ended) return;
    m_ended = true;
    Sound::instance().stop();
    QStringList problems;
    // A store switched from was saved before its files moved: never written again.
    if (!m_restartAfterEnd && !m_store.finish(&problems) && m_askOnFailedSave)
        Prompts::instance().warn(
            QStringLiteral("Jotpin 退出了，但帖子没有保存：\n") + problems.join(u'\n'),
            QStringLiteral("退出软件"));

    QString error;
    const bool entryOk = m_switches.startWithSession()
                             ? autostart::write(paths::programDir(), paths::programName(), &error)
                             : autostart::remove(paths::programName(), &error);
    if (!entryOk) report(error);

    m_tray.remove();
    // Everything is on disk: the program may end right here, before the windows go.
    Q_EMIT ended();
    m_windows.closeFrom(0);
}
