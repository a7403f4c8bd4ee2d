#include "commands/editcommands.h"

#include <algorithm>

#include <QApplication>
#include <QMimeData>

#include "commands/dialogguard.h"
#include "commands/notecommands.h"
#include "desktop/commondialog.h"
#include "desktop/keyboard.h"
#include "desktop/prompts.h"
#include "note/notewindow.h"
#include "richtext/richtextbox.h"

namespace commands {

namespace {

RichTextBox* currentEditor(CommandHost& host) {
    NoteWindow* note = host.currentNote();
    return note ? note->editor() : nullptr;
}

}  // namespace

bool holdsPastableText(const QMimeData* clipboard) {
    if (!clipboard) return false;
    if (clipboard->hasFormat(RichTextBox::rtfMimeType()) ||
        clipboard->hasFormat(RichTextBox::rtfAltMimeType()) || clipboard->hasHtml())
        return true;
    if (!clipboard->hasText() || clipboard->text().trimmed().isEmpty()) return false;
    // Files copied in a file manager come with their addresses as text: no text to paste.
    if (!clipboard->hasUrls()) return true;
    QStringList addresses;
    for (const QUrl& url : clipboard->urls())
        addresses << url.toString() << url.toLocalFile();
    const QStringList lines = clipboard->text().split(u'\n', Qt::SkipEmptyParts);
    return !std::all_of(lines.begin(), lines.end(),
                        [&](const QString& line) { return addresses.contains(line.trimmed()); });
}

EditEnables editEnables(const RichTextBox& editor, const QMimeData* clipboard) {
    const bool selected = editor.SelLength() != 0;
    return {editor.CanUndo(), selected, selected, holdsPastableText(clipboard), selected};
}

void edit(CommandHost& host, EditAction action) {
    NoteWindow* note = host.currentNote();
    if (!note) return;
    QWidget* focus = note->focusWidget();
    if (!focus) {
        QApplication::beep();
        return;
    }
    // Ctrl held while the item is chosen: the item does nothing.
    if (focus != note->editor() || Keyboard::instance().modifiers() & Qt::ControlModifier) return;
    RichTextBox* editor = note->editor();
    switch (action) {
        case EditAction::Undo:
            editor->Undo();
            break;
        case EditAction::Cut:
            editor->Cut();
            break;
        case EditAction::Copy:
            editor->Copy();
            break;
        case EditAction::Paste:
            editor->Paste();
            break;
        case EditAction::Remove:
            editor->Clear();
            break;
    }
}

void setBoldItalic(CommandHost& host, bool bold, bool italic) {
    if (RichTextBox* editor = currentEditor(host)) {
        editor->setSelBold(bold);
        editor->setSelItalic(italic);
    }
}

void toggleBullets(CommandHost& host) {
    RichTextBox* editor = currentEditor(host);
    if (!editor) return;
    if (editor->SelBullet() == true) {
        editor->setSelBullet(false);
        editor->setSelHangingIndent(0);
    } else {
        editor->setSelBullet(true);
    }
}

void alignParagraphs(CommandHost& host, int alignment) {
    if (RichTextBox* editor = currentEditor(host)) editor->setSelAlignment(alignment);
}

void chooseFont(CommandHost& host) {
    NoteWindow* note = host.currentNote();
    if (!note) return;
    CommonDialog& dialog = CommonDialog::instance();
    dialog.setFlags(CommonDialog::kFontScreen | CommonDialog::kFontPrinter |
                    CommonDialog::kFontEffects);
    if (!dialog.showFont(note)) return;
    RichTextBox* editor = note->editor();
    const QFont& font = dialog.font();
    editor->setSelFontName(font.family());
    editor->setSelFontSize(font.pointSizeF());
    editor->setSelBold(font.bold());
    editor->setSelItalic(font.italic());
    editor->setSelStrikeThru(font.strikeOut());
    editor->setSelUnderline(font.underline());
    editor->setSelColor(dialog.fontColor());
}

void find(CommandHost& host) {
    NoteWindow* note = host.currentNote();
    if (!note) return;
    lowerNoteForDialog(note, host.notesOnTop());
    host.findText() =
        Prompts::instance()
            .inputBox(QStringLiteral("输入查找的内容?"), QStringLiteral("Jotpin"), host.findText())
            .value_or(QString());
    // An empty text finds nothing.
    if (!host.findText().isEmpty()) note->editor()->Find(host.findText());
    raiseNoteAfterDialog(note, host.notesOnTop());
}

void findNext(CommandHost& host) {
    RichTextBox* editor = currentEditor(host);
    if (!editor) return;
    editor->setSelStart(editor->SelStart() + editor->SelLength() + 1);
    // To the end of the document: a long paragraph's joins count there but not in Text().
    if (!host.findText().isEmpty())
        editor->Find(host.findText(), std::nullopt, editor->document()->characterCount() - 1);
}

}  // namespace commands
