#include "app/traycontroller.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <tuple>

#include "app/menutable.h"
#include "app/requests.h"
#include "app/storemove.h"
#include "app/topmost.h"
#include "desktop/appicon.h"
#include "desktop/notifications.h"
#include "desktop/prompts.h"
#include "desktop/shell.h"
#include "desktop/sound.h"
#include "desktop/tray.h"
#include "desktop/windowops.h"
#include "dialogs/notelistdialog.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"
#include "store/notestore.h"

namespace {

void report(const QString& message) {
    std::fprintf(stderr, "jotpin: %s\n", qPrintable(message));
}

}  // namespace

TrayController::TrayController(AutoSave::Delays autoSaveDelays, SyncDelays syncDelays)
    : m_autoSaveDelays(autoSaveDelays), m_syncDelays(syncDelays) {
    m_windows.add(this);
    m_menus = new Menus(
        programMenuItems({m_host, m_switches, [this] { showAllNotes(); },
                          [this] { hideAllNotes(); }, [this] { showNoteList(); },
                          [this] { exitProgram(); }, [this] { updateEditMenu(); },
                          [this](const QUrl& url, const QString& shown) { openPage(url, shown); }}),
        this);
    m_host.setTrayMenu([this](QPoint at) { popUpTrayMenuAt(at); });
    // A switch item shows its switch.
    for (auto [id, on, changed] :
         {std::tuple{MenuItem::NotesOnTop, &ProgramSwitches::notesOnTop,
                     &ProgramSwitches::notesOnTopChanged},
          std::tuple{MenuItem::ReminderSound, &ProgramSwitches::reminderSound,
                     &ProgramSwitches::reminderSoundChanged},
          std::tuple{MenuItem::StartWithSession, &ProgramSwitches::startWithSession,
                     &ProgramSwitches::startWithSessionChanged}}) {
        QAction* action = m_menus->action(id);
        action->setChecked((m_switches.*on)());
        connect(&m_switches, changed, action, &QAction::setChecked);
    }
    // As the edit menu opens, and once more after it closed.
    QMenu* editMenu = m_menus->menu(Menus::Which::Edit);
    connect(editMenu, &QMenu::aboutToShow, this, &TrayController::updateEditMenu);
    connect(editMenu, &QMenu::aboutToHide, this, &TrayController::updateEditMenu);

    connect(&m_store, &StoreSync::tell, this, &TrayController::tellUser);
    connect(&m_dialogs, &Dialogs::storeChosen, this, &TrayController::switchStore);
    connect(&m_windows, &OpenWindows::closed, this, [this](QWidget* window) {
        const auto* note = qobject_cast<NoteWindow*>(window);
        if (!note) return;
        m_store.forget(note->id());
        m_store.changed();
    });
}

void TrayController::startUp() {
    m_noteCounter = 0;
    hide();
    TrayIcon& tray = TrayIcon::instance();
    // Trays ask for 16 to 64 pixels: each size drawn for itself stays sharp.
    const QIcon icon = appIcon({16, 22, 24, 32, 48, 64});
    tray.setMenu(m_menus->menu(Menus::Which::Tray));
    tray.add(icon);
    tray.setTip(QStringLiteral("Jotpin"));
    QTimer::singleShot(kTrayWaitMs, this, &TrayController::tellIfNoTray);
    connect(&tray, &TrayIcon::leftButtonUp, this, &TrayController::trayLeftClicked);
    connect(&tray, &TrayIcon::rightButtonUp, this, &TrayController::trayRightClicked);
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

void TrayController::openPage(const QUrl& url, const QString& shown) {
    QPointer<TrayController> self(this);
    Shell::instance().open(url, [self, shown] {
        if (self)
            self->tellUser(QStringLiteral("没有能打开这一页的浏览器。请自己打开：\n") + shown);
    });
}

void TrayController::tellUser(const QString& text) {
    std::fprintf(stderr, "jotpin: %s\n", qPrintable(text));
    const TrayIcon& tray = TrayIcon::instance();
    if (tray.isAdded() && tray.hostAvailable())
        TrayIcon::instance().showMessage(QStringLiteral("Jotpin"), text);
    else if (!Notifications::instance().show(QStringLiteral("Jotpin"), text))
        Prompts::instance().tell(text, QStringLiteral("Jotpin"));
}

void TrayController::tellIfNoTray() {
    if (m_ended || TrayIcon::instance().hostAvailable()) return;
    // A session without a desktop's name is a bare window manager, started by hand: its user
    // knows there is no panel, and the advice (the applications menu) would not fit.
    QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    if (desktop.isEmpty()) return;
    // Once on each desktop, remembered beside the snapshots: a desktop without a tray stays so
    // at every login, and the advice does not change; another desktop may have one.
    QSettings told(paths::keptDir() + QStringLiteral("/told.ini"), QSettings::IniFormat);
    const QString key = QStringLiteral("noTray/") + desktop.replace(u':', u'-');
    if (told.value(key).toBool()) return;
    told.setValue(key, true);
    tellUser(QStringLiteral(
        "这个桌面没有系统托盘，Jotpin 的图标和托盘菜单无法显示，但 Jotpin 在运行。\n"
        "托盘菜单：再启动一次 Jotpin 就会在鼠标处打开；新建帖子、帖子列表、显示所有帖子和"
        "退出也在应用程序菜单里 Jotpin 的右键菜单中。\n"
        "GNOME 可以安装 AppIndicator 扩展（gnome-shell-extension-appindicator）来显示托盘。"));
}

NoteWindow* TrayController::createNote() {
    m_noteCounter = qint16(m_noteCounter + 1);
    // Deleting a note gives its number back, so a number may still be worn by an open note;
    // numbers must stay distinct to find the current note, so skip those. A number above all
    // given out so far is free: no search while hundreds of notes load.
    auto inUse = [this](int number) {
        for (const NoteWindow* note : m_windows.numberedNotes()) {
            if (note->number() == number) return true;
        }
        return false;
    };
    while (m_noteCounter <= m_highestNumber && inUse(m_noteCounter))
        m_noteCounter = qint16(m_noteCounter + 1);
    m_highestNumber = std::max<int>(m_highestNumber, m_noteCounter);

    auto* note = new NoteWindow();
    m_windows.add(note);
    note->setNumber(m_noteCounter);
    const QString created = timetext::creationTime(Clock::instance().now());
    note->setCreated(created);
    note->editor()->setText(QStringLiteral("创建：") + created + QStringLiteral("\r\n"));
    note->editor()->moveCursor(QTextCursor::End);  // typing goes on the line after it
    windowops::setTopmost(note, m_switches.notesOnTop());
    connectNote(note);
    m_store.contentChanged(note->id());
    m_store.changed();
    return note;
}

void TrayController::newNote() {
    commands::newNote(m_host);
}

NoteWindow* TrayController::currentNote() const {
    return m_host.currentNote();
}

void TrayController::trayLeftClicked() {
    if (m_windows.count() == 1) {
        newNote();  // the first note, at the right edge of the screen
        return;
    }
    QWidget* newest = m_windows.newest();
    newest->show();
    newest->raise();
    newest->activateWindow();
}

void TrayController::trayRightClicked() {
    popUpTrayMenu(QCursor::pos());
}

void TrayController::activateFromOutside() {
    const TrayIcon& tray = TrayIcon::instance();
    if (tray.isAdded() && tray.hostAvailable())
        trayLeftClicked();
    else
        popUpTrayMenu(QCursor::pos());  // without a tray this is the only way to the tray commands
}

void TrayController::perform(const QString& request) {
    if (request == requests::kNewNote)
        newNote();
    else if (request == requests::kNoteList)
        showNoteList();
    else if (request == requests::kShowAll)
        showAllNotes();
    else if (request == requests::kQuit)
        exitProgram();
    else
        activateFromOutside();  // "show", or a word of another version: at least come forward
}

QMenu* TrayController::popUpTrayMenu(QPoint at) {
    // Without waiting for it to close: a tray's click handler returns at once.
    QMenu* menu = m_menus->menu(Menus::Which::Tray);
    if (!menu->isVisible()) menu->popup(at);
    return menu;
}

void TrayController::showAllNotes() {
    for (int i = 1; i < m_windows.count(); ++i) {
        QWidget* window = m_windows.at(i);
        const auto* note = qobject_cast<NoteWindow*>(window);
        if (note && note->number() == 0) continue;
        window->show();
        window->raise();
    }
}

void TrayController::hideAllNotes() {
    for (int i = 1; i < m_windows.count(); ++i)
        m_windows.at(i)->hide();
}

void TrayController::applyTopmostToAll() {
    m_host.applyTopmostToAll();
}

void TrayController::exitProgram() {
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

void TrayController::switchStore(const QString& dir, bool move) {
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

void TrayController::shutDown() {
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

    TrayIcon::instance().remove();
    disconnect(&TrayIcon::instance(), nullptr, this, nullptr);
    // Everything is on disk: the program may end right here, before the windows go.
    Q_EMIT ended();
    m_windows.closeFrom(0);
}

void TrayController::closeEvent(QCloseEvent* event) {
    event->ignore();
    shutDown();
}
