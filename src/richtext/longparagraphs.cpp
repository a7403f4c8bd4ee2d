#include "richtext/longparagraphs.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace longparagraphs {
namespace {

// Not a value QSyntaxHighlighter or Qt itself gives a block; -1 is the default.
constexpr int kContinues = 0x70696563;

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
    return block.userState() == kContinues;
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
            cursor.insertBlock(format, cursor.charFormat());
            cursor.block().setUserState(kContinues);
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

}  // namespace longparagraphs
