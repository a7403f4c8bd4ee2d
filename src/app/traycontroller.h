#pragma once
// The program as a whole, behind its tray icon: start-up and exit, the tray menu, the switches,
// the open windows, new notes, and saving soon after changes. It is a hidden window, the first
// of the open windows, and is never shown.

#include <QPointer>
#include <QWidget>

#include "app/modelessdialogs.h"
#include "app/notecommandhost.h"
#include "app/notetickdispatcher.h"
#include "app/openwindows.h"
#include "app/programmenus.h"
#include "app/windowshelf.h"
#include "model/programswitches.h"
#include "notebook/autosave.h"
#include "notebook/storesync.h"
#include "platform/apppaths.h"

class NoteWindow;
class QMenu;

class TrayController : public QWidget {
    Q_OBJECT
public:
    // How many days of store snapshots are kept.
    static constexpr int kSnapshotDays = 7;

    explicit TrayController(AutoSave::Delays autoSaveDelays = {}, SyncDelays syncDelays = {});

    // Start-up: numbering from 0, hidden, tray icon with its tip, then every stored note.
    void startUp();
    // The exit command: closes the dialogs, asks, and on OK ends the program.
    void exitProgram();
    // Ends the program without asking (end of the desktop session, SIGTERM): saves every
    // note, writes or removes the autostart entry, removes the tray icon and closes every
    // window, the last first.
    void shutDown();

    // Another store folder, chosen in the settings dialog: everything is saved; when `move`,
    // the store's files are copied there, each read back, and only then removed here; the
    // folder is remembered for this machine, and the program ends to start again on it
    // (restartsAfterEnd). A save or copy that fails is told and changes nothing: the program
    // goes on with the store where it was.
    void switchStore(const QString& dir, bool move);
    // The program ends to start again (on the store just chosen): ended() is followed by a
    // new start without --store.
    bool restartsAfterEnd() const { return m_restartAfterEnd; }

    // Tray icon clicks.
    void trayLeftClicked();
    void trayRightClicked();
    // A second start of the program asks this one to come forward.
    void activateFromOutside();
    // What a start asked of this program (requests.h): come forward, a new note, ...
    void perform(const QString& request);
    // With no tray some time after the start, the user is told how to reach the tray menu,
    // once on each desktop.
    void tellIfNoTray();
    // How long a tray may take to start with the desktop session.
    static constexpr int kTrayWaitMs = 10000;

    // Creates, numbers and prepares a new note window without showing it; it is the newest
    // open window afterwards.
    NoteWindow* createNote();
    // "新建帖子": a new note at the right edge of the screen.
    void newNote();
    void showAllNotes();
    void hideAllNotes();
    void showNoteList() { m_dialogs.showNoteList(); }
    // " Jotpin设置" for the current note: the one instance, brought forward when open.
    void showSettings() { m_dialogs.showSettings(); }
    // Every note and open dialog joins or leaves the topmost band as the switch says.
    void applyTopmostToAll();
    // "插入图标": the one icon picker, brought forward when open.
    void showIconPicker() { m_dialogs.showIconPicker(); }
    QString& findText() { return m_host.findText(); }
    // The note menu at a point of the screen, for this note, which becomes the current one.
    void popUpNoteMenu(NoteWindow* note, QPoint at);
    // The edit menu of a note's text, its items enabled for the current note.
    void popUpEditMenu(NoteWindow* note, QPoint at);
    // Enables the edit items for the current note's text and the clipboard.
    void updateEditMenu();
    NoteTickDispatcher& ticks() { return m_ticks; }

    // Tells the user of a problem: beside the tray icon, or in a box when there is no tray.
    void tellUser(const QString& text);
    // Opens a page with the desktop; without a browser, tells the user where it is (`shown`).
    void openPage(const QUrl& url, const QString& shown);

    // Writes the numbered notes, renumbered from 1 in window order, and the switches, now
    // (Notebook::save). A failure is told to the user, once until saving works again; what
    // was to be written stays waiting.
    using SaveScope = Notebook::Scope;
    bool saveAll(QStringList* errors = nullptr, SaveScope scope = SaveScope::Changed) {
        return m_store.saveAll(errors, scope);
    }

    OpenWindows& windows() { return m_windows; }
    ProgramSwitches& switches() { return m_switches; }
    NoteWindow* currentNote() const;
    // The content file of a deleted note goes with the next save, which saveNow() makes now.
    void removeContentFile(int n) { m_store.removeContentFile(n); }
    void saveNow() { m_store.saveNow(); }
    NoteListDialog* noteList() const { return m_dialogs.noteList(); }
    SettingsDialog* settings() const { return m_dialogs.settings(); }
    IconPicker* iconPicker() const { return m_dialogs.iconPicker(); }
    // Source of note numbers: each new note takes the next; deleting a note gives one back.
    qint16 noteCounter() const { return m_noteCounter; }
    void setNoteCounter(qint16 counter) { m_noteCounter = counter; }

    // The tray menu, the note menu and the edit menu.
    ProgramMenus& menus() const { return *m_menus; }

Q_SIGNALS:
    // The program is over and everything is saved; the windows are closed right after.
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The tray menu at a point of the screen, unless it is open already.
    QMenu* popUpTrayMenu(QPoint at);
    // The tray menu at a note, opened by a key there.
    void popUpTrayMenuAt(QPoint at);
    void connectNote(NoteWindow* note);
    // The keys of a note that open menus, and those the edit menu shows: true when one acted.
    bool menuKey(NoteWindow* note, int key, Qt::KeyboardModifiers modifiers);

    OpenWindows m_windows;
    ProgramSwitches m_switches;
    AutoSave::Delays m_autoSaveDelays;
    SyncDelays m_syncDelays;
    WindowShelf m_shelf{m_windows,
                        {[this] { return createNote(); }, [this] { newNote(); },
                         [this](NoteWindow* note) { m_windows.close(note); }}};
    StoreSync m_store{
        m_shelf,
        m_switches,
        {paths::storeDir(), paths::snapshotsDir(), paths::conflictsDir(), kSnapshotDays},
        m_syncDelays};
    NoteTickDispatcher m_ticks{m_windows, m_switches};
    ModelessDialogs m_dialogs{m_windows, [this] { return currentNote(); }, this};
    NoteCommandHost m_host{
        m_windows,
        m_switches,
        m_store,
        m_dialogs,
        {[this] { return createNote(); }, [this] { m_noteCounter = qint16(m_noteCounter - 1); }}};
    ProgramMenus* m_menus = nullptr;
    qint16 m_noteCounter = 0;
    int m_highestNumber = 0;  // the highest note number given out
    bool m_ended = false;
    bool m_restartAfterEnd = false;  // also: the store is finished and moved, not saved again
    bool m_askOnFailedSave = false;  // the user chose to exit: a failed save is told in a box
};
