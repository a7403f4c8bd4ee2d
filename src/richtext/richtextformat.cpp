// The character and paragraph format of the selection: what the font, format and bullet
// commands read and set.
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include "richtext/richtextbox.h"

namespace {

// Calls visit(format) for each run of characters that overlaps [from, to).
template <typename Visit>
void forEachCharFormat(const QTextDocument& doc, int from, int to, Visit visit) {
    for (QTextBlock block = doc.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= from || fragment.position() >= to)
                continue;
            visit(fragment.charFormat());
        }
    }
}

// The paragraphs a cursor's selection touches, or the cursor's paragraph.
QList<QTextBlock> selectedBlocks(const QTextCursor& cursor) {
    const QTextDocument* doc = cursor.document();
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    QList<QTextBlock> blocks;
    for (QTextBlock block = doc->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        blocks.append(block);
        if (block == last) break;
    }
    return blocks;
}

// One value for all of the selection's text, nullopt when it differs.
template <typename T, typename Get>
std::optional<T> uniformCharValue(const QTextEdit& edit, Get get) {
    const QTextCursor cursor = edit.textCursor();
    if (!cursor.hasSelection()) return get(edit.currentCharFormat());
    std::optional<T> value;
    bool mixed = false;
    forEachCharFormat(*edit.document(), cursor.selectionStart(), cursor.selectionEnd(),
                      [&](const QTextCharFormat& format) {
                          const T v = get(format);
                          if (!value)
                              value = v;
                          else if (!(*value == v))
                              mixed = true;
                      });
    if (mixed) return std::nullopt;
    // A selection of paragraph breaks only has no run of its own.
    return value ? value : std::optional<T>(get(edit.currentCharFormat()));
}

template <typename T, typename Get>
std::optional<T> uniformBlockValue(const QTextCursor& cursor, Get get) {
    std::optional<T> value;
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        const T v = get(block);
        if (!value)
            value = v;
        else if (!(*value == v))
            return std::nullopt;
    }
    return value;
}

bool isBullet(const QTextBlock& block) {
    const QTextList* list = block.textList();
    if (!list) return false;
    const QTextListFormat::Style style = list->format().style();
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

}  // namespace

std::optional<bool> RichTextBox::selectionBold() const {
    return uniformCharValue<bool>(
        *this, [](const QTextCharFormat& f) { return f.fontWeight() > QFont::Medium; });
}

void RichTextBox::setSelectionBold(bool on) {
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeCurrentCharFormat(format);
}

std::optional<bool> RichTextBox::selectionItalic() const {
    return uniformCharValue<bool>(*this, [](const QTextCharFormat& f) { return f.fontItalic(); });
}

void RichTextBox::setSelectionItalic(bool on) {
    QTextCharFormat format;
    format.setFontItalic(on);
    mergeCurrentCharFormat(format);
}

std::optional<bool> RichTextBox::selectionUnderline() const {
    return uniformCharValue<bool>(*this,
                                  [](const QTextCharFormat& f) { return f.fontUnderline(); });
}

void RichTextBox::setSelectionUnderline(bool on) {
    QTextCharFormat format;
    format.setFontUnderline(on);
    mergeCurrentCharFormat(format);
}

std::optional<bool> RichTextBox::selectionStrikeOut() const {
    return uniformCharValue<bool>(*this,
                                  [](const QTextCharFormat& f) { return f.fontStrikeOut(); });
}

void RichTextBox::setSelectionStrikeOut(bool on) {
    QTextCharFormat format;
    format.setFontStrikeOut(on);
    mergeCurrentCharFormat(format);
}

std::optional<QString> RichTextBox::selectionFontFamily() const {
    const QString fallback = document()->defaultFont().family();
    return uniformCharValue<QString>(*this, [&](const QTextCharFormat& f) {
        const QStringList families = f.fontFamilies().toStringList();
        return families.isEmpty() ? fallback : families.first();
    });
}

void RichTextBox::setSelectionFontFamily(const QString& family) {
    if (family.isEmpty()) return;
    QTextCharFormat format;
    format.setFontFamilies({family});
    mergeCurrentCharFormat(format);
}

std::optional<double> RichTextBox::selectionFontPointSize() const {
    const double fallback = document()->defaultFont().pointSizeF();
    return uniformCharValue<double>(*this, [&](const QTextCharFormat& f) {
        return f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : fallback;
    });
}

void RichTextBox::setSelectionFontPointSize(double points) {
    if (!(points > 0)) return;
    QTextCharFormat format;
    format.setFontPointSize(points);
    mergeCurrentCharFormat(format);
}

std::optional<QColor> RichTextBox::selectionTextColor() const {
    const QColor fallback = palette().color(QPalette::Text);
    return uniformCharValue<QColor>(*this, [&](const QTextCharFormat& f) {
        return f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : fallback;
    });
}

void RichTextBox::setSelectionTextColor(const QColor& colour) {
    if (!colour.isValid()) return;
    QTextCharFormat format;
    format.setForeground(colour);
    mergeCurrentCharFormat(format);
}

std::optional<Qt::Alignment> RichTextBox::selectionAlignment() const {
    return uniformBlockValue<Qt::Alignment>(textCursor(), [](const QTextBlock& block) {
        const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        // The default, Qt::AlignLeft | Qt::AlignAbsolute and AlignLeading read as left.
        for (const Qt::Alignment one : {Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify}) {
            if (a & one) return one;
        }
        return Qt::Alignment(Qt::AlignLeft);
    });
}

void RichTextBox::setSelectionAlignment(Qt::Alignment alignment) {
    alignment &= Qt::AlignHorizontal_Mask;
    if (!alignment) return;
    QTextBlockFormat format;
    format.setAlignment(alignment);
    QTextCursor cursor = textCursor();
    cursor.mergeBlockFormat(format);
    setTextCursor(cursor);
}

std::optional<bool> RichTextBox::selectionBullet() const {
    return uniformBlockValue<bool>(textCursor(), isBullet);
}

void RichTextBox::setSelectionBullet(bool on) {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    if (on) {
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        cursor.createList(format);
    } else {
        for (const QTextBlock& block : selectedBlocks(cursor)) {
            QTextList* list = block.textList();
            if (!list) continue;
            // QTextList::remove keeps the text where the list put it; we want it back in place.
            const int indent = block.blockFormat().indent();
            list->remove(block);
            QTextBlockFormat format = block.blockFormat();
            format.setIndent(indent);
            QTextCursor(block).setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
}

std::optional<int> RichTextBox::selectionHangingIndent() const {
    return uniformBlockValue<int>(textCursor(), [](const QTextBlock& block) {
        return int(-block.blockFormat().textIndent());
    });
}

void RichTextBox::setSelectionHangingIndent(int pixels) {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        // The first line stays; the following lines move.
        QTextBlockFormat format = block.blockFormat();
        const qreal firstLine = format.leftMargin() + format.textIndent();
        format.setLeftMargin(std::max<qreal>(firstLine + pixels, 0));
        format.setTextIndent(firstLine - format.leftMargin());
        QTextCursor(block).setBlockFormat(format);
    }
    cursor.endEditBlock();
}
