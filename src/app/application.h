#pragma once
// The program as a whole: builds the parts and connects them; start-up and exit, the switches,
// the open windows, new notes and their wiring, and the store kept in step with them.

#include <QObject>
#include <QWidget>

#include "app/modelessdialogs.h"
#include "app/notecommandhost.h"
#include "app/notefactory.h"
#include "app/notetickdispatcher.h"
#include "app/openwindows.h"
#include "app/programend.h"
#include "app/programmenus.h"
#include "app/programtray.h"
#include "app/storeswitch.h"
#include "app/windowshelf.h"
#include "model/programswitches.h"
#include "notebook/autosave.h"
#include "notebook/storesync.h"
#include "notes/notelist.h"
#include "platform/apppaths.h"

class NoteWindow;
class QUrl;

class Application : public QObject {
    Q_OBJECT
public:
    // How many days of store snapshots are kept.
    static constexpr int kSnapshotDays = 7;

    explicit Application(AutoSave::Delays autoSaveDelays = {}, SyncDelays syncDelays = {});

    // Start-up: numbering from 0, tray icon with its tip, then every stored note.
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
    bool restartsAfterEnd() const { return m_end.restarts(); }

    // What a start asked of this program (requests.h): come forward, a new note, ...
    void perform(const QString& request);

    // Creates, numbers and prepares a new note window without showing it; it is the newest
    // open window afterwards.
    NoteWindow* createNote();
    // "新建帖子": a new note at the right edge of the screen.
    void newNote();
    void showAllNotes();
    void hideAllNotes();

    // Enables the edit items for the current note's text and the clipboard.
    void updateEditMenu();

    // Tells the user of a problem: beside the tray icon, or in a box when there is no tray.
    void tellUser(const QString& text) { m_tray.tell(text); }

    // Writes the notes, numbered from 1 in the order they were made, and the switches, now
    // (Notebook::save). A failure is told to the user, once until saving works again; what
    // was to be written stays waiting.
    using SaveScope = Notebook::Scope;
    bool saveAll(QStringList* errors = nullptr, SaveScope scope = SaveScope::Changed) {
        return m_store.saveAll(errors, scope);
    }

    // The parts, for the tests.
    OpenWindows& windows() { return m_windows; }
    NoteList& noteList() { return m_noteList; }
    ProgramSwitches& switches() { return m_switches; }
    ModelessDialogs& dialogs() { return m_dialogs; }
    NoteTickDispatcher& ticks() { return m_ticks; }
    ProgramTray& tray() { return m_tray; }
    NoteFactory& notes() { return m_notes; }
    NoteCommandHost& commandHost() { return m_host; }
    ProgramMenus& menus() { return m_menus; }
    NoteWindow* currentNote() const { return m_host.currentNote(); }

Q_SIGNALS:
    // The program is over and everything is saved; the windows are closed right after.
    void ended();

private:
    void openPage(const QUrl& url, const QString& shown);
    // The tray menu at a note, opened by a key there.
    void popUpTrayMenuAt(QPoint at);
    void connectNote(NoteWindow* note);
    // The note menu at a point of the screen, for this note, which becomes the current one.
    void popUpNoteMenu(NoteWindow* note, QPoint at);
    // The edit menu of a note's text, its items enabled for the current note.
    void popUpEditMenu(NoteWindow* note, QPoint at);
    // A key of the note that has the keyboard: its command acts on that note, which becomes
    // the current one. A locked note's keys do not act: its text is not there to act on.
    void runNoteKey(const std::function<void()>& command);
    // The Menu key or Shift+F10: the edit menu at the caret, or the note menu at the focused
    // button of the title strip.
    void popUpMenuAtKeyboard();

    // The owner of the menus and the settings dialog, never shown: a dialog with an owner gets
    // no taskbar entry of its own.
    QWidget m_owner;
    NoteList m_noteList;
    OpenWindows m_windows;
    ProgramSwitches m_switches;
    // Each part is given the parts it works with, declared before it, and nothing of the
    // program itself but the menus' commands, which run only once it is made: what a part has
    // to tell the program comes by signals, connected once every part exists.
    NoteFactory m_notes{m_noteList, m_windows, m_switches};
    WindowShelf m_shelf{m_noteList, m_notes};
    AutoSave::Delays m_autoSaveDelays;
    StoreSync m_store;
    NoteTickDispatcher m_ticks{m_noteList, m_notes, m_switches};
    ModelessDialogs m_dialogs{m_windows, m_noteList, m_notes, &m_owner};
    NoteCommandHost m_host{m_windows, m_notes, m_switches, m_store, m_dialogs};
    ProgramMenus m_menus;
    ProgramTray m_tray{m_windows, m_noteList, m_notes, m_menus.menu(ProgramMenus::Which::Tray)};
    ProgramEnd m_end{m_store, m_switches, m_tray, m_windows};
    StoreSwitch m_storeSwitch{m_store, m_autoSaveDelays, m_end};
};
