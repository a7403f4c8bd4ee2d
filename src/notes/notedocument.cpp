#include "notes/notedocument.h"

#include <QTextBlock>
#include <algorithm>

#include "notes/checklist.h"
#include "notes/textfind.h"
#include "rtf/longparagraphs.h"
#include "rtf/rtf.h"

NoteDocument::NoteDocument(QObject* parent) : QTextDocument(parent) {
    connect(this, &QTextDocument::contentsChanged, this, [this] { m_searchText.reset(); });
}

QString NoteDocument::toParagraphs(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString NoteDocument::text() const {
    return longparagraphs::plainText(*this);
}

void NoteDocument::replaceText(const QString& text) {
    // Not setPlainText: that would give the new text the format at the old insertion point.
    const bool undo = isUndoRedoEnabled();
    setUndoRedoEnabled(false);
    clear();
    QTextCursor(this).insertText(toParagraphs(text));
    longparagraphs::split(this);
    setUndoRedoEnabled(undo);
}

void NoteDocument::appendText(const QString& text) {
    QTextCursor end(this);
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    // Each piece on a line of its own: captured texts ran into each other.
    if (!end.block().text().isEmpty()) end.insertBlock();
    end.insertText(toParagraphs(text));
    longparagraphs::split(this);
    end.endEditBlock();
}

bool NoteDocument::loadRtf(QByteArrayView bytes, QString* error) {
    const bool undo = isUndoRedoEnabled();
    setUndoRedoEnabled(false);
    const bool ok = rtf::read(bytes, this, error);
    if (ok) longparagraphs::split(this);
    setUndoRedoEnabled(undo);
    return ok;
}

QByteArray NoteDocument::rtf() const {
    return rtf::write(*this);
}

const textsearch::Text& NoteDocument::searchText() const {
    if (!m_searchText) m_searchText.emplace(checklist::withoutBoxes(text()));
    return *m_searchText;
}

QTextCursor NoteDocument::findMatch(const QString& needle, const QTextCursor& selection,
                                    std::optional<int> start, std::optional<int> end) {
    // The search runs in the text without the joins of a long paragraph's pieces.
    const QList<int> joins = longparagraphs::joins(*this);
    const auto toText = [&](int position) {
        return position -
               int(std::lower_bound(joins.begin(), joins.end(), position) - joins.begin());
    };
    const auto toDocument = [&](int index) {
        int position = index;
        for (qsizetype k = 0; k < joins.size() && joins[k] - k <= index; ++k)
            ++position;
        return position;
    };
    const int selectionStart = toText(selection.selectionStart());
    const textfind::Span selected{selectionStart,
                                  toText(selection.selectionEnd()) - selectionStart};
    // A checklist's boxes are no text to find.
    const QString plain = checklist::withoutBoxes(longparagraphs::joined(toPlainText(), joins));
    if (start) start = toText(*start);
    if (end) end = *end >= characterCount() - 1 ? int(plain.size()) : toText(*end);
    const std::optional<textfind::Span> match = textfind::find(plain, needle, selected, start, end);
    if (!match) return {};
    const int from = toDocument(match->start);
    QTextCursor found(this);
    found.setPosition(from);
    found.setPosition(match->length > 0 ? toDocument(match->end() - 1) + 1 : from,
                      QTextCursor::KeepAnchor);
    return found;
}
