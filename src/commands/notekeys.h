#pragma once
// The keys of a note's text: F3 to F6 without Ctrl, Ctrl with a letter for the note and edit
// commands. The Ctrl state is the one the key arrived with, so a Ctrl released elsewhere never
// turns a plain letter into a command.
// Ctrl+Shift+M opens the tray menu at the note, for those without a mouse.

#include <Qt>

class CommandHost;
class NoteWindow;

namespace commands {

// True when the key acted and is not for the text control.
bool noteKey(CommandHost& host, NoteWindow* note, int key, Qt::KeyboardModifiers modifiers);

}  // namespace commands
