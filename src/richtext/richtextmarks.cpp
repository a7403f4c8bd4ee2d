// What the control adds to plain editing: checklist items ticked and continued, links
// underlined and opened, files dropped to be opened. Its marks are drawn over the text, never
// into the document.
#include <QAbstractTextDocumentLayout>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "notes/checklist.h"
#include "notes/pictures.h"
#include "richtext/richtextbox.h"
#include "text/links.h"

bool RichTextBox::checklistKey(const QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    QTextCursor cursor = textCursor();
    // Ctrl+Enter ticks the item; Enter goes on to the next, or ends the list.
    if (modifiers == Qt::ControlModifier) return checklist::tick(cursor.block());
    if (modifiers != Qt::NoModifier || !checklist::enter(cursor)) return false;
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

std::optional<links::Link> RichTextBox::linkAt(QPoint viewportPos) const {
    const int position = characterAt(viewportPos);
    if (position < 0) return std::nullopt;
    const QTextBlock block = document()->findBlock(position);
    return links::at(block.text(), position - block.position());
}

std::optional<QUrl> RichTextBox::contextLink() const {
    const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
    if (viewport()->rect().contains(pointer)) {
        if (const std::optional<links::Link> link = linkAt(pointer)) return link->url;
    }
    const QTextCursor caret = textCursor();
    const QTextBlock block = caret.block();
    const QString text = block.text();
    const qsizetype offset = caret.position() - block.position();
    // On a link: in it, or just after its last character.
    for (const qsizetype at : {offset, offset - 1}) {
        if (const std::optional<links::Link> link = links::at(text, at)) return link->url;
    }
    return std::nullopt;
}

namespace {

// The first file of this computer among the addresses, empty for none.
QString firstLocalFile(const QMimeData& mime) {
    for (const QUrl& url : mime.urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return {};
}

}  // namespace

void RichTextBox::dragEnterEvent(QDragEnterEvent* event) {
    // Looked at once a drag: a move asks again with every step of the pointer.
    const QMimeData* mime = event->mimeData();
    m_drag = {mime, mime && pictures::holdsPicture(*mime), {}};
    // A file is opened, not written in as its address; pictures go in where they are dropped.
    if (mime && !m_drag.pictures) m_drag.file = firstLocalFile(*mime);
    if (!isReadOnly() && !m_drag.file.isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QTextEdit::dragEnterEvent(event);
}

void RichTextBox::dragMoveEvent(QDragMoveEvent* event) {
    if (!isReadOnly() && event->mimeData() == m_drag.mime && !m_drag.file.isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QTextEdit::dragMoveEvent(event);
}

void RichTextBox::dragLeaveEvent(QDragLeaveEvent* event) {
    m_drag = {};
    QTextEdit::dragLeaveEvent(event);
}

void RichTextBox::dropEvent(QDropEvent* event) {
    const DragSeen drag = std::exchange(m_drag, {});
    if (!isReadOnly() && event->mimeData() == drag.mime && !drag.file.isEmpty()) {
        event->acceptProposedAction();
        // Once the drop is over: the question it may bring would keep the dragging program
        // waiting for the end of its drag.
        QTimer::singleShot(0, this, [this, path = drag.file] { Q_EMIT fileDropped(path); });
        return;
    }
    QTextEdit::dropEvent(event);
}

void RichTextBox::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    paintMarks(event->rect());
}

void RichTextBox::paintMarks(const QRect& area) {
    // Drawn over the text, never part of it: a highlighter's formats would come to the document
    // as changes, and every note shown would be saved again. Links are underlined; a ticked
    // checklist item's text is struck through and dimmed.
    const QPointF offset(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    const QColor veil = [this] {
        QColor c = viewport()->palette().color(QPalette::Base);
        c.setAlpha(140);
        return c;
    }();
    QPainter painter(viewport());
    for (QTextBlock block = cursorForPosition(area.topLeft()).block(); block.isValid();
         block = block.next()) {
        const QRectF box = layout->blockBoundingRect(block).translated(offset);
        if (box.top() > area.bottom()) break;
        const QTextLayout* lines = block.layout();
        if (!lines || lines->lineCount() == 0) continue;
        underlineLinks(painter, block, box.topLeft());
        if (checklist::itemOf(block) != checklist::Item::Ticked) continue;
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const int from = std::max(line.textStart(), checklist::kPrefixLength);
            const qreal left = box.left() + line.cursorToX(from);
            const qreal right = box.left() + line.x() + line.naturalTextWidth();
            if (right <= left) continue;
            const qreal top = box.top() + line.y();
            painter.fillRect(QRectF(left, top, right - left, line.height()), veil);
            painter.setPen(QPen(palette().color(QPalette::Text), 1));
            const qreal middle = top + line.ascent() * 0.65;
            painter.drawLine(QPointF(left, middle), QPointF(right, middle));
        }
    }
}

void RichTextBox::underlineLinks(QPainter& painter, const QTextBlock& block, QPointF origin) {
    // Long paragraphs are no place for addresses: their pieces are left alone.
    if (block.length() > 4096) return;
    const QList<links::Link> found = links::in(block.text());
    if (found.isEmpty()) return;
    painter.setPen(QPen(palette().color(QPalette::Link), 1));
    const QTextLayout* lines = block.layout();
    for (const links::Link& link : found) {
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qsizetype from = std::max<qsizetype>(link.start, line.textStart());
            const qsizetype to =
                std::min<qsizetype>(link.end(), line.textStart() + line.textLength());
            if (from >= to) continue;
            const qreal y = origin.y() + line.y() + line.ascent() + 1.5;
            painter.drawLine(QPointF(origin.x() + line.cursorToX(int(from)), y),
                             QPointF(origin.x() + line.cursorToX(int(to)), y));
        }
    }
}

bool RichTextBox::tickAt(QPoint viewportPos) {
    const QTextBlock block = cursorForPosition(viewportPos).block();
    if (checklist::itemOf(block) == checklist::Item::None) return false;
    // On the box itself: from the start of the paragraph to the start of the space after it.
    const QRect from = cursorRect(cursorAt(block.position()));
    const QRect to = cursorRect(cursorAt(block.position() + 1));
    if (viewportPos.x() < from.left() || viewportPos.x() > to.left() ||
        viewportPos.y() < from.top() || viewportPos.y() > from.bottom())
        return false;
    return checklist::tick(block);
}
