#include "rtf/longparagraphs.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace longparagraphs {
namespace {

// On the character format of the break before a piece. A block's user state would be simpler,
// but an undo and redo does not bring it back: the pieces would come back as paragraphs. A
// break typed or pasted takes the format of the text before it, so it never carries the mark.
constexpr int kContinues = QTextFormat::UserProperty + 0x7069;

// Where to end a piece that starts at `from`: after the last space within reach, or at the
// limit when there is none (a UTF-16 pair is not cut).
int pieceEnd(const QString& text, int from, int maxLength) {
    const int limit = from + maxLength;
    for (int i = limit; i > from + maxLength / 2; --i) {
        if (text.at(i - 1).isSpace()) return i;
    }
    return text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit;
}

}  // namespace

bool continues(const QTextBlock& block) {
    return marksPiece(block.charFormat());
}

bool marksPiece(const QTextFormat& format) {
    return format.boolProperty(kContinues);
}

bool split(QTextDocument* doc, bool joinPrevious, int maxLength) {
    QTextCursor cursor(doc);
    bool editing = false;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.length() - 1 <= maxLength) continue;
        const QString text = block.text();
        QList<int> cuts;
        for (int from = 0; text.size() - from > maxLength;) {
            from = pieceEnd(text, from, maxLength);
            cuts.append(from);
        }
        if (!editing) {
            if (joinPrevious)
                cursor.joinPreviousEditBlock();
            else
                cursor.beginEditBlock();
            editing = true;
        }
        // A piece is no new paragraph: no first-line indent, space above or list item of its own.
        QTextBlockFormat format = block.blockFormat();
        format.clearProperty(QTextFormat::ObjectIndex);
        format.setTextIndent(0);
        format.setTopMargin(0);
        // From the last cut back, so that the positions of the earlier cuts hold.
        const int start = block.position();
        for (qsizetype i = cuts.size() - 1; i >= 0; --i) {
            cursor.setPosition(start + cuts[i]);
            QTextCharFormat mark = cursor.charFormat();
            mark.setProperty(kContinues, true);
            cursor.insertBlock(format, mark);
        }
        block = cursor.block();
        while (block.next().isValid() && continues(block.next()))
            block = block.next();
    }
    if (editing) cursor.endEditBlock();
    return editing;
}

QList<int> joins(const QTextDocument& doc) {
    QList<int> positions;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (continues(block)) positions.append(block.position() - 1);
    }
    return positions;
}

QString joined(QString text, const QList<int>& joins, int offset) {
    if (joins.isEmpty()) return text;
    QString whole;
    whole.reserve(text.size());
    qsizetype from = 0;
    for (int join : joins) {
        const qsizetype at = join - offset;
        if (at < from || at >= text.size()) continue;
        whole += QStringView(text).mid(from, at - from);
        from = at + 1;
    }
    whole += QStringView(text).mid(from);
    return whole;
}

QString plainText(const QTextDocument& doc) {
    QString text = joined(doc.toPlainText(), joins(doc));
    text.replace(QChar::ObjectReplacementCharacter, u' ');
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

}  // namespace longparagraphs
