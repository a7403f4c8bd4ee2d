#include "notes/checklist.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace checklist {

Item itemOf(const QString& paragraph) {
    if (paragraph.size() < kPrefixLength || paragraph[1] != u' ') return Item::None;
    if (paragraph[0] == kOpen) return Item::Open;
    if (paragraph[0] == kTicked) return Item::Ticked;
    return Item::None;
}

Item itemOf(const QTextBlock& block) {
    // Only the start of the paragraph: a long one is not copied out whole.
    QString start;
    for (auto it = block.begin(); !it.atEnd() && start.size() < kPrefixLength; ++it)
        start += it.fragment().text().left(kPrefixLength - start.size());
    return itemOf(start);
}

void toggleItems(const QTextCursor& selection) {
    QTextDocument* document = selection.document();
    const QTextBlock first = document->findBlock(selection.selectionStart());
    const QTextBlock last = document->findBlock(selection.selectionEnd());
    bool allItems = true;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        allItems = allItems && itemOf(b) != Item::None;
        if (b == last) break;
    }
    QTextCursor edit(document);
    edit.beginEditBlock();
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        edit.setPosition(b.position());
        if (allItems) {
            edit.setPosition(b.position() + kPrefixLength, QTextCursor::KeepAnchor);
            edit.removeSelectedText();
        } else if (itemOf(b) == Item::None) {
            edit.insertText(QString(kOpen) + u' ');
        }
        if (b == last) break;
    }
    edit.endEditBlock();
}

bool tick(const QTextBlock& block) {
    const Item item = itemOf(block);
    if (item == Item::None) return false;
    QTextCursor box(block);
    box.setPosition(block.position() + 1, QTextCursor::KeepAnchor);
    box.insertText(QString(item == Item::Open ? kTicked : kOpen));
    return true;
}

bool enter(QTextCursor& cursor) {
    const QTextBlock block = cursor.block();
    if (cursor.hasSelection() || itemOf(block) == Item::None ||
        cursor.position() < block.position() + kPrefixLength)
        return false;
    cursor.beginEditBlock();
    if (block.length() - 1 == kPrefixLength) {
        // An empty item ends the list, as Enter on an empty bullet does.
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + kPrefixLength, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    } else {
        cursor.insertBlock();
        cursor.insertText(QString(kOpen) + u' ');
    }
    cursor.endEditBlock();
    return true;
}

QString withoutBoxes(QString text) {
    for (qsizetype at = 0; at < text.size();) {
        if (itemOf(QStringView(text).mid(at, kPrefixLength).toString()) != Item::None)
            text[at] = u' ';
        const qsizetype next = text.indexOf(u'\n', at);
        if (next < 0) break;
        at = next + 1;
    }
    return text;
}

}  // namespace checklist
