#include "app/traycontroller.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QRegion>
#include <QUrl>
#include <algorithm>
#include <cstdio>

#include "app/topmost.h"
#include "dialogs/notelistdialog.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/tray.h"
#include "platform/windowops.h"
#include "richtext/richtextbox.h"

namespace {

// A dialog that is open already comes forward instead of opening twice.
bool bringForward(QWidget* dialog) {
    if (!dialog) return false;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return true;
}

void report(const QString& message) {
    std::fprintf(stderr, "jotpin: %s\n", qPrintable(message));
}

}  // namespace

TrayController::TrayController(AutoSave::Delays autoSaveDelays)
    : m_notebook(paths::storeDir(), paths::snapshotsDir(), kSnapshotDays),
      m_autoSaveDelays(autoSaveDelays) {
    m_windows.add(this);
    m_menus = new Menus(menuItems(), this);
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
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { m_clipboardStale = true; });

    connect(&m_notebook, &Notebook::finished, this, &TrayController::saveFinished);
    // Once per streak of failures, and once more when saving works again.
    connect(&m_notebook, &Notebook::failing, this, [this](const QStringList& problems) {
        tellUser(QStringLiteral("帖子没有保存：\n") + problems.join(u'\n'));
    });
    connect(&m_notebook, &Notebook::worksAgain, this,
            [this] { tellUser(QStringLiteral("帖子又能保存了。")); });
    connect(&m_windows, &OpenWindows::closed, this, [this](QWidget* window) {
        if (window == m_noteList) m_noteList = nullptr;
        const auto* note = qobject_cast<NoteWindow*>(window);
        if (!note) return;
        m_notebook.forget(note);
        storeChanged();
    });
}

void TrayController::startUp() {
    m_noteCounter = 0;
    hide();
    TrayIcon& tray = TrayIcon::instance();
    // Trays ask for 16 to 64 pixels: each size drawn for itself stays sharp.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/appicon/jotpin-%1.png").arg(size), QSize(size, size));
    tray.add(icon);
    tray.setTip(QStringLiteral("Jotpin"));
    connect(&tray, &TrayIcon::leftButtonUp, this, &TrayController::trayLeftClicked);
    connect(&tray, &TrayIcon::rightButtonUp, this, &TrayController::trayRightClicked);
    loadAll();
    connect(&m_ticker, &NoteTicker::ticked, this, &TrayController::tickNotes);
    m_ticker.start();
    qApp->installEventFilter(
        new DialogsAboveNotes([this] { return m_switches.notesOnTop(); }, this));

    // From here on every change is saved soon, not only at exit.
    // The texts are written on another thread, while the user types on.
    m_autoSave = new AutoSave(
        [this] {
            m_notebook.saveInBackground(pages(), m_switches.values());
            return true;  // how it went comes with the notebook's finished()
        },
        m_autoSaveDelays, this);
    for (auto changed :
         {&ProgramSwitches::notesOnTopChanged, &ProgramSwitches::reminderSoundChanged,
          &ProgramSwitches::startWithSessionChanged})
        connect(&m_switches, changed, this, &TrayController::storeChanged);
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
    else
        Prompts::instance().tell(text, QStringLiteral("Jotpin"));
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
    m_notebook.contentChanged(note);
    storeChanged();
    return note;
}

namespace {

// Whether two notes or more are shown: only then can one cover another's clock.
bool severalShown(const QList<NoteWindow*>& notes) {
    int shown = 0;
    for (const NoteWindow* note : notes) {
        if (note->isVisible() && ++shown == 2) return true;
    }
    return false;
}

// The shown notes whose title clock lies wholly under notes stacked above them.
QSet<const NoteWindow*> clocksUnderOtherNotes(const QList<NoteWindow*>& notes) {
    QHash<WId, const NoteWindow*> shown;
    for (const NoteWindow* note : notes) {
        if (note->isVisible()) shown.insert(note->internalWinId(), note);
    }
    QSet<const NoteWindow*> covered;
    if (shown.size() < 2) return covered;
    const QList<WId> order = windowops::stackingOrder();
    QRegion above;
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        const NoteWindow* note = shown.value(*it);
        if (!note) continue;  // other programs' windows count as not covering
        const QRect clock = note->titleLabel->geometry().translated(note->pos());
        if (QRegion(clock).subtracted(above).isEmpty()) covered.insert(note);
        above += note->geometry();
    }
    return covered;
}

}  // namespace

void TrayController::tickNotes(const QDateTime& now, bool fullSecond) {
    const QString clock = timetext::titleClock(now);
    const bool withSound = m_switches.reminderSound();
    const QList<NoteWindow*> notes = m_windows.numberedNotes();
    for (NoteWindow* note : notes) {
        if (fullSecond && note->reminderTimer.enabled) note->checkReminder(now, withSound);
    }
    // The clock's text changes on the full second only: then the clocks that are seen are set,
    // and on the half second none. The stacking order that tells them is asked for half a
    // second ahead, so that its answer is there when it is needed.
    const QSet<const NoteWindow*> covered =
        fullSecond ? clocksUnderOtherNotes(notes) : QSet<const NoteWindow*>();
    if (!fullSecond && severalShown(notes)) windowops::askStackingOrder();
    // Read once per change, not at every tick: each read of text another program holds is a
    // string of round trips to it through the X server.
    const bool capturing = std::any_of(notes.cbegin(), notes.cend(), [](const NoteWindow* n) {
        return n->capturesClipboard && n->tickTimer.enabled;
    });
    if (capturing && m_clipboardStale) {
        m_clipboardText = QGuiApplication::clipboard()->text();
        m_clipboardStale = false;
    }
    for (NoteWindow* note : notes) {
        if (note->tickTimer.enabled)
            note->halfSecondTick(clock, m_clipboardText, fullSecond && !covered.contains(note));
    }
}

void TrayController::newNote() {
    commands::newNote(m_host);
}

NoteWindow* TrayController::currentNote() const {
    return qobject_cast<NoteWindow*>(m_windows.at(m_windows.currentNoteIndex()));
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
    popUpTrayMenu();
}

void TrayController::activateFromOutside() {
    const TrayIcon& tray = TrayIcon::instance();
    if (tray.isAdded() && tray.hostAvailable())
        trayLeftClicked();
    else
        popUpTrayMenu();  // without a tray this is the only way to the tray commands
}

void TrayController::popUpTrayMenu() {
    m_menus->menu(Menus::Which::Tray)->exec(QCursor::pos());
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

void TrayController::showNoteList() {
    if (bringForward(m_noteList)) return;
    auto* list = new NoteListDialog(m_windows.numberedNotes());
    m_noteList = list;
    m_windows.add(list);
    connect(list, &NoteListDialog::notesPicked, this, [this](const QList<NoteWindow*>& notes) {
        for (NoteWindow* note : notes) {
            // A note closed while the list was open is not brought back.
            if (!m_windows.isOpen(note)) continue;
            note->show();
            note->raise();
            note->activateWindow();  // which makes it the current note
        }
    });
    connect(list, &NoteListDialog::closeRequested, this, [this, list] { m_windows.close(list); });
    list->showOnTop();
}

void TrayController::showSettings() {
    if (bringForward(m_settings)) return;
    auto* dialog = new SettingsDialog([this] { return currentNote(); }, this);
    m_settings = dialog;
    m_windows.add(dialog);
    connect(dialog, &SettingsDialog::closeRequested, this,
            [this, dialog] { m_windows.close(dialog); });
    dialog->show();
}

void TrayController::showIconPicker() {
    if (bringForward(m_iconPicker)) return;
    auto* picker = new IconPicker([this] { return currentNote(); });
    m_iconPicker = picker;
    m_windows.add(picker);
    connect(picker, &IconPicker::closeRequested, this, [this, picker] { m_windows.close(picker); });
    picker->showOnTop();
}

void TrayController::applyTopmostToAll() {
    ::applyTopmostToAll(m_windows, m_switches.notesOnTop());
}

void TrayController::closeDialogs() {
    for (int i = m_windows.count() - 1; i >= 1; --i) {
        QWidget* window = m_windows.at(i);
        if (!qobject_cast<NoteWindow*>(window)) m_windows.close(window);
    }
}

void TrayController::exitProgram() {
    closeDialogs();
    // On OK the program ends while the question is still up, as fast as at SIGTERM: closed
    // first, the question would give every note back from its block, part by part.
    auto end = [this] {
        m_askOnFailedSave = true;
        shutDown();
    };
    Prompts::instance().askOkCancelThen(QStringLiteral("您真的希望退出《Jotpin》吗？"),
                                        QStringLiteral("退出软件"), end);
}

void TrayController::shutDown() {
    if (m_ended) return;
    m_ended = true;
    Sound::instance().sendString(QStringLiteral("close WAV"));
    delete m_autoSave;
    m_autoSave = nullptr;
    QStringList problems;
    if (!saveAll(&problems) && m_askOnFailedSave)
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
