#pragma once
// The edit menu of a note's text and its keys: edit, format, bullets, alignment, font, find.
// Each acts on the current note's selection.

#include <QSize>
#include <QString>
#include <QUrl>
#include <optional>

class CommandHost;
class NoteWindow;
class QMimeData;
class RichTextBox;

namespace commands {

// Which edit items can act: undo when the text can undo, cut, copy and remove when something
// is selected, paste when the clipboard holds text (a picture alone does not count).
struct EditEnables {
    bool undo = false;
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool remove = false;
};
EditEnables editEnables(const RichTextBox& editor, const QMimeData* clipboard);
// Whether the clipboard holds what a note can paste: RTF, HTML, plain text, a picture or files
// of pictures, but not the addresses of other files copied in a file manager alone.
bool holdsPastable(const QMimeData* clipboard);

// Says that a picture of this size was not put into a note: too large, or the note full.
void tellPictureRefused(QSize size, bool full);

enum class EditAction { Undo, Cut, Copy, Paste, Remove };
// Acts when the current note's text has the focus and Ctrl is not held; beeps when no control
// of the note has the focus.
void edit(CommandHost& host, EditAction action);

// "普通", "粗体", "斜体", "粗斜体": bold and italic only; underline, font and colour stay.
void setBoldItalic(CommandHost& host, bool bold, bool italic);
// "自动排列": bullets on for plain or mixed paragraphs, off (with the hanging indent) when all
// have them.
void toggleBullets(CommandHost& host);
// "清单": the selected paragraphs become checklist items, or plain paragraphs again.
void toggleChecklist(CommandHost& host);
// The link the current note's edit menu was opened on, if any.
std::optional<QUrl> menuLink(CommandHost& host);
// Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight for the selected paragraphs.
void alignParagraphs(CommandHost& host, Qt::Alignment alignment);
// "字体": the font dialog opens with its previous choice; Cancel applies nothing.
void chooseFont(CommandHost& host);

// "查找": asks for a text (the last one offered) and selects its first match in the selection,
// or in the whole note when nothing is selected.
void find(CommandHost& host);
// "查找下一个": the next match from one character past the selection to the end; no wrap.
void findNext(CommandHost& host);
// A search over every note found `text` in `note`: its first match from the start of the text
// is selected, and "查找下一个" goes on from there.
void findFromStart(CommandHost& host, NoteWindow* note, const QString& text);

}  // namespace commands
