#pragma once
// The note commands: what the buttons of a note's title strip and the items of the note menu
// do. They read the notes and the switches, and reach the rest of the program through the host
// the app gives them; the menu items act on the current note, the one activated last.

#include <QList>
#include <QPoint>
#include <QString>

class NoteList;
class NoteWindow;
class ProgramSwitches;

class CommandHost {
public:
    virtual ~CommandHost() = default;
    // Creates, numbers and prepares a new note window without showing it.
    virtual NoteWindow* createNote() = 0;
    // The note activated last, or nullptr when it is gone.
    virtual NoteWindow* currentNote() const = 0;
    // The model: every note, and the program's switches.
    virtual const NoteList& notes() const = 0;
    virtual const ProgramSwitches& switches() const = 0;
    // Every note and open dialog joins or leaves the topmost band as the switch says.
    virtual void applyTopmostToAll() = 0;
    // Closes a note window for good.
    virtual void closeNote(NoteWindow* note) = 0;
    // The number of the content file that holds this note (loaded or last saved under), or 0.
    virtual int storedNumber(const NoteWindow* note) = 0;
    // Removes content file n with the next save, unless an open note is stored under that
    // number.
    virtual void removeContentFile(int n) = 0;
    // Saves what changed now rather than soon.
    virtual void saveNow() = 0;
    // The settings and reminder dialog for the current note.
    virtual void showSettings() = 0;
    // The icon picker, which inserts into the current note.
    virtual void showIconPicker() = 0;
    // The text of the last find, the same for every note.
    virtual QString& findText() = 0;
    // The tray menu, at a point of the screen: the keyboard's way to the tray commands.
    virtual void popUpTrayMenu(QPoint at) = 0;
};

namespace commands {

// "新建帖子": a new note at the right edge of the screen, placed before it is shown, below the
// notes that stand there already.
NoteWindow* newNote(CommandHost& host);
// Ctrl+N: a new note where new notes stand, or below the notes that stand there already.
NoteWindow* newNoteInPlace(CommandHost& host);

// The delete button of a note's title strip: asks, then closes the note and removes the
// content file that holds it.
void deleteNoteAsked(CommandHost& host, NoteWindow* note);
// "删除本贴": asks, then closes the current note; no file is removed.
void deleteCurrentNote(CommandHost& host);

// "加锁": asks for a password (one the store can give back as it is) and locks the current
// note: its text hidden, its height pinned to the title strip.
void lockNote(CommandHost& host);
// The unlock button: the exact password unlocks the note and gives back its height.
void unlockNote(NoteWindow* note);

// "监测剪贴板": the current note captures new clipboard text, or stops.
void setClipboardCapture(CommandHost& host, bool on);

// Gives the focus back to a note after a dialog.
void focusNote(NoteWindow* note);

}  // namespace commands
