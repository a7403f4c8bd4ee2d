#include "commands/filecommands.h"

#include <QFileInfo>
#include <QTextCursor>
#include <QTextList>

#include "commands/notecommands.h"
#include "desktop/commondialog.h"
#include "desktop/prompts.h"
#include "desktop/windowops.h"
#include "model/programswitches.h"
#include "note/notewindow.h"
#include "platform/files.h"
#include "richtext/richtextbox.h"
#include "rtf/rtf.h"
#include "text/textfile.h"

namespace commands {

namespace {

// Larger files are no note: reading them would freeze the program.
constexpr qint64 kMaxOpenBytes = qint64(256) * 1024 * 1024;

// Runs a dialog and its work on the current note, out of the topmost band while notes are on
// top; afterwards every window takes the notes-on-top switch again and the note has the focus.
template <typename Work>
void aroundDialog(CommandHost& host, Work work) {
    NoteWindow* note = host.currentNote();
    if (!note) return;
    {
        const windowops::TopmostPause pause(note, host.switches().notesOnTop());
        work(note);
    }
    host.applyTopmostToAll();
    focusNote(note);
}

bool fillFromFile(RichTextBox* editor, const QString& path, QString* error) {
    QByteArray bytes;
    switch (files::readRegular(path, kMaxOpenBytes, &bytes, error)) {
        case files::ReadResult::Missing:
            *error = path + QStringLiteral(": 文件不存在");
            return false;
        case files::ReadResult::Failed:
            return false;
        case files::ReadResult::Ok:
            break;
    }
    if (rtf::startsAsRtf(bytes)) {
        QString why;
        if (editor->loadRtf(bytes, &why)) return true;
        *error = path + QStringLiteral(": ") + why;
        return false;
    }
    if (!textfile::looksLikeText(bytes)) {
        *error = path + QStringLiteral(": 既不是 RTF 也不是文本文件");
        return false;
    }
    editor->replaceText(textfile::decode(bytes));
    return true;
}

}  // namespace

void clearNote(NoteWindow* note) {
    if (!note) return;
    // One edit step, not setText: the undo history keeps what was there.
    QTextCursor cursor(note->editor()->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    if (QTextList* list = cursor.currentList()) list->remove(cursor.block());
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    cursor.setCharFormat(QTextCharFormat());
    cursor.endEditBlock();
    note->editor()->setCurrentCharFormat(QTextCharFormat());
}

void openFile(CommandHost& host) {
    aroundDialog(host, [](NoteWindow* note) {
        CommonDialog& dialog = CommonDialog::instance();
        dialog.setFilter(QString::fromUtf8(kNoteFileFilter));
        if (!dialog.showOpen(note)) return;
        QString error;
        if (!fillFromFile(note->editor(), dialog.fileName(), &error))
            Prompts::instance().warn(QStringLiteral("无法打开文件：\n") + error,
                                     QStringLiteral("打开"));
    });
}

void openDroppedFile(CommandHost& host, const QString& path) {
    aroundDialog(host, [&path](NoteWindow* note) {
        if (!note->editor()->text().trimmed().isEmpty() &&
            Prompts::instance().askOkCancel(QStringLiteral("用 %1 的内容替换这张帖子的内容吗？")
                                                .arg(QFileInfo(path).fileName()),
                                            QStringLiteral("打开")) != Prompts::Answer::Ok)
            return;
        QString error;
        if (!fillFromFile(note->editor(), path, &error))
            Prompts::instance().warn(QStringLiteral("无法打开文件：\n") + error,
                                     QStringLiteral("打开"));
    });
}

void saveToFile(CommandHost& host) {
    aroundDialog(host, [](NoteWindow* note) {
        CommonDialog& dialog = CommonDialog::instance();
        dialog.setFilter(QString::fromUtf8(kNoteFileFilter));
        if (!dialog.showSave(note)) return;
        QString error;
        const bool saved =
            dialog.filterIndex() == 2
                ? files::writeAtomically(dialog.fileName(),
                                         (note->editor()->text() + QStringLiteral("\r\n")).toUtf8(),
                                         &error)
                : note->editor()->saveFile(dialog.fileName(), &error);
        if (!saved)
            Prompts::instance().warn(QStringLiteral("无法保存文件：\n") + error,
                                     QStringLiteral("保存"));
    });
}

void printNote(CommandHost& host) {
    aroundDialog(host, [](NoteWindow* note) {
        CommonDialog& dialog = CommonDialog::instance();
        int flags = CommonDialog::kPrintReturnPrinter | CommonDialog::kPrintNoPageNumbers;
        if (note->editor()->selectionLength() != 0) flags |= CommonDialog::kPrintSelection;
        dialog.setFlags(flags);
        if (!dialog.showPrinter(note)) return;
        if (!dialog.print(note->editor()->textCursor()))
            Prompts::instance().warn(QStringLiteral("打印没有成功。"), QStringLiteral("打印"));
    });
}

}  // namespace commands
