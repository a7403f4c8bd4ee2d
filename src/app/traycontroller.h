#pragma once
// The program as a whole, behind its tray icon: start-up and exit, the tray menu, the switches,
// the open windows, new notes, and saving soon after changes. It is a hidden window, the first
// of the open windows, and is never shown.

#include <QPointer>
#include <QWidget>

#include "app/autosave.h"
#include "app/menus.h"
#include "app/notecommandhost.h"
#include "app/noteticker.h"
#include "app/openwindows.h"
#include "model/programswitches.h"
#include "notebook/notebook.h"

#include "dialogs/iconpicker.h"
#include "dialogs/notelistdialog.h"
#include "dialogs/settingsdialog.h"
class NoteWindow;

class TrayController : public QWidget {
    Q_OBJECT
public:
    // The address of the page about newer versions.
    static inline const QString kNewVersionUrl = QStringLiteral("https://jotpin.app/download");
    // How many days of store snapshots are kept.
    static constexpr int kSnapshotDays = 7;

    explicit TrayController(AutoSave::Delays autoSaveDelays = {});

    // Start-up: numbering from 0, hidden, tray icon with its tip, then every stored note.
    void startUp();
    // The exit command: closes the dialogs, asks, and on OK ends the program.
    void exitProgram();
    // Ends the program without asking (end of the desktop session, SIGTERM): saves every
    // note, writes or removes the autostart entry, removes the tray icon and closes every
    // window, the last first.
    void shutDown();

    // Tray icon clicks.
    void trayLeftClicked();
    void trayRightClicked();
    // A second start of the program asks this one to come forward.
    void activateFromOutside();

    // Creates, numbers and prepares a new note window without showing it; it is the newest
    // open window afterwards.
    NoteWindow* createNote();
    // "新建帖子": a new note at the right edge of the screen.
    void newNote();
    void showAllNotes();
    void hideAllNotes();
    void showNoteList();
    // " Jotpin设置" for the current note: the one instance, brought forward when open.
    void showSettings();
    // Every note and open dialog joins or leaves the topmost band as the switch says.
    void applyTopmostToAll();
    // "插入图标": the one icon picker, brought forward when open.
    void showIconPicker();
    QString& findText() { return m_host.findText(); }
    // The note menu at a point of the screen, for this note, which becomes the current one.
    void popUpNoteMenu(NoteWindow* note, QPoint at);
    // The edit menu of a note's text, its items enabled for the current note.
    void popUpEditMenu(NoteWindow* note, QPoint at);
    // Enables the edit items for the current note's text and the clipboard.
    void updateEditMenu();
    // One tick of the shared note timer: every note's half-second tick, and on a full second
    // the reminder checks first.
    void tickNotes(const QDateTime& now, bool fullSecond);

    // Tells the user of a problem: beside the tray icon, or in a box when there is no tray.
    void tellUser(const QString& text);
    // Opens a page with the desktop; without a browser, tells the user where it is (`shown`).
    void openPage(const QUrl& url, const QString& shown);

    // Writes the numbered notes, renumbered from 1 in window order, and the switches, now
    // (Notebook::save). A failure is told to the user, once until saving works again; what
    // was to be written stays waiting.
    using SaveScope = Notebook::Scope;
    bool saveAll(QStringList* errors = nullptr, SaveScope scope = SaveScope::Changed);
    Notebook& notebook() { return m_notebook; }

    OpenWindows& windows() { return m_windows; }
    ProgramSwitches& switches() { return m_switches; }
    NoteWindow* currentNote() const;
    // The content file of a deleted note goes with the next save, which saveNow() makes now.
    void removeContentFile(int n);
    void saveNow();
    NoteListDialog* noteList() const { return m_noteList; }
    SettingsDialog* settings() const { return m_settings; }
    IconPicker* iconPicker() const { return m_iconPicker; }
    // Source of note numbers: each new note takes the next; deleting a note gives one back.
    qint16 noteCounter() const { return m_noteCounter; }
    void setNoteCounter(qint16 counter) { m_noteCounter = counter; }

    // The tray menu, the note menu and the edit menu.
    Menus& menus() const { return *m_menus; }
    CommandHost& commandHost() { return m_host; }

Q_SIGNALS:
    // The program is over and everything is saved; the windows are closed right after.
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void loadAll();
    // Something the store holds changed: save soon.
    void storeChanged();
    // The numbered notes as the notebook saves them.
    QList<Notebook::Page> pages() const;
    // A save ended: what is unsaved now, and when to try again.
    void saveFinished(bool saved);
    void closeDialogs();
    void popUpTrayMenu();
    QList<Menus::Item> menuItems();
    void connectNote(NoteWindow* note);

    OpenWindows m_windows;
    Notebook m_notebook;
    NoteCommandHost m_host{*this};
    Menus* m_menus = nullptr;
    ProgramSwitches m_switches;
    AutoSave::Delays m_autoSaveDelays;
    AutoSave* m_autoSave = nullptr;
    NoteTicker m_ticker;
    QPointer<NoteListDialog> m_noteList;
    QPointer<SettingsDialog> m_settings;
    QPointer<IconPicker> m_iconPicker;
    qint16 m_noteCounter = 0;
    int m_highestNumber = 0;  // the highest note number given out
    bool m_ended = false;
    bool m_loading = false;
    QString m_clipboardText;         // the clipboard's text as last read
    bool m_clipboardStale = true;    // it changed since
    bool m_askOnFailedSave = false;  // the user chose to exit: a failed save is told in a box
};
