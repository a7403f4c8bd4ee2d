#pragma once
// The file items of the note menu, on the current note: clear it, fill it from a file, write
// it to a file, print it. Open, save and print go through the one common-dialog object; with
// notes on top the current note steps out of the topmost band while its dialog is open.

#include <QString>

class CommandHost;
class NoteWindow;

namespace commands {

// The filter of the open and save dialogs; entry 2 is the text entry.
inline constexpr char kNoteFileFilter[] = "RTF Files|*.rtf|Text Files|*.txt|All files|*.*";

// "清空": the text and its formatting go; Ctrl+Z brings them back.
void clearNote(NoteWindow* note);
// "打开": an RTF file (known by its content) or a text file (UTF-8, else GBK) replaces the
// content. A file that cannot be read is told and changes nothing.
void openFile(CommandHost& host);
// A file dropped on the current note is opened as "打开" opens one; a note with text asks first.
void openDroppedFile(CommandHost& host, const QString& path);
// "保存": RTF, or with the text entry chosen the plain text and one CR LF in UTF-8. A file
// that cannot be written is told; an existing one stays whole.
void saveToFile(CommandHost& host);
// "打印": the selection, or the whole note when nothing is selected.
void printNote(CommandHost& host);

}  // namespace commands
