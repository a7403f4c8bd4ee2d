#include "commands/editcommands.h"

#include <algorithm>

#include <QApplication>
#include <QMimeData>

#include "commands/notecommands.h"
#include "desktop/commondialog.h"
#include "desktop/keyboard.h"
#include "desktop/prompts.h"
#include "desktop/windowops.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "notes/checklist.h"
#include "notes/pictures.h"
#include "richtext/richtextbox.h"
#include "rtf/rtf.h"

namespace commands {

namespace {

RichTextBox* currentEditor(CommandHost& host) {
    NoteWindow* note = host.currentNote();
    return note ? note->editor() : nullptr;
}

}  // namespace

bool holdsPastable(const QMimeData* clipboard) {
    if (!clipboard) return false;
    if (clipboard->hasFormat(RichTextBox::rtfMimeType()) ||
        clipboard->hasFormat(RichTextBox::rtfAltMimeType()) || clipboard->hasHtml() ||
        pictures::holdsPicture(*clipboard))
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

void tellPictureRefused(QSize size, bool full) {
    const QString picture =
        QStringLiteral("这张图片（%1 × %2 像素）").arg(size.width()).arg(size.height());
    Prompts::instance().warn(
        full ? picture +
                   QStringLiteral("放不下了：一张帖子里的图片最多占 %1 MB，这张帖子已经快满了。")
                       .arg(rtf::kMaxTotalPictureBytes / (qint64(1024) * 1024))
             : picture + QStringLiteral("太大，帖子里放不下：一张图片最多 %1 万像素。")
                             .arg(rtf::kMaxPicturePixels / 10000),
        QStringLiteral("图片"));
}

EditEnables editEnables(const RichTextBox& editor, const QMimeData* clipboard) {
    const bool selected = editor.selectionLength() != 0;
    return {editor.isUndoAvailable(), selected, selected, holdsPastable(clipboard), selected};
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
            editor->undoHoldingLayout();
            break;
        case EditAction::Cut:
            editor->cut();
            break;
        case EditAction::Copy:
            editor->copy();
            break;
        case EditAction::Paste:
            editor->paste();
            break;
        case EditAction::Remove:
            editor->removeSelectedText();
            break;
    }
}

void setBoldItalic(CommandHost& host, bool bold, bool italic) {
    if (RichTextBox* editor = currentEditor(host)) {
        editor->setSelectionBold(bold);
        editor->setSelectionItalic(italic);
    }
}

void toggleBullets(CommandHost& host) {
    RichTextBox* editor = currentEditor(host);
    if (!editor) return;
    if (editor->selectionBullet() == true) {
        editor->setSelectionBullet(false);
        editor->setSelectionHangingIndent(0);
    } else {
        editor->setSelectionBullet(true);
    }
}

void toggleChecklist(CommandHost& host) {
    if (RichTextBox* editor = currentEditor(host)) checklist::toggleItems(editor->textCursor());
}

std::optional<QUrl> menuLink(CommandHost& host) {
    const RichTextBox* editor = currentEditor(host);
    return editor ? editor->menuLink() : std::nullopt;
}

void alignParagraphs(CommandHost& host, Qt::Alignment alignment) {
    if (RichTextBox* editor = currentEditor(host)) editor->setSelectionAlignment(alignment);
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
    editor->setSelectionFontFamily(font.family());
    editor->setSelectionFontPointSize(font.pointSizeF());
    editor->setSelectionBold(font.bold());
    editor->setSelectionItalic(font.italic());
    editor->setSelectionStrikeOut(font.strikeOut());
    editor->setSelectionUnderline(font.underline());
    editor->setSelectionTextColor(dialog.fontColor());
}

void find(CommandHost& host) {
    NoteWindow* note = host.currentNote();
    if (!note) return;
    const windowops::TopmostPause pause(note, host.switches().notesOnTop());
    host.findText() =
        Prompts::instance()
            .inputBox(QStringLiteral("输入查找的内容?"), QStringLiteral("Jotpin"), host.findText())
            .value_or(QString());
    // An empty text finds nothing.
    if (!host.findText().isEmpty()) note->editor()->findText(host.findText());
}

void findNext(CommandHost& host) {
    RichTextBox* editor = currentEditor(host);
    if (!editor) return;
    editor->setSelectionStart(editor->selectionStart() + editor->selectionLength() + 1);
    // To the end of the document: a long paragraph's joins count there but not in text().
    if (!host.findText().isEmpty())
        editor->findText(host.findText(), std::nullopt, editor->document()->characterCount() - 1);
}

void findFromStart(CommandHost& host, NoteWindow* note, const QString& text) {
    host.findText() = text;
    if (note && !text.isEmpty()) note->editor()->findText(text, 0);
}

}  // namespace commands
