#pragma once
// The note commands: what each item of the note menus does. They reach the rest of the program
// only through the host the app gives them.

class NoteWindow;

class CommandHost {
public:
    virtual ~CommandHost() = default;
    // Creates, numbers and prepares a new note window without showing it.
    virtual NoteWindow* createNote() = 0;
};

namespace commands {

// "新建帖子": a new note, shown at the right edge of the screen.
NoteWindow* newNote(CommandHost& host);

}  // namespace commands
