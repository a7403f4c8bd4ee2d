// How the control keeps Qt's layout bounded: a text that comes in is held from the layout
// until its long paragraphs are split and its page height is set, then laid out in steps.
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <limits>

#include "richtext/richtextbox.h"
#include "rtf/longparagraphs.h"

namespace {

// Below the height where the unpaged layout stops, and far above any screen.
constexpr qreal kPageHeight = 4'000'000;
// Characters from which a text is paged: fewer stay far below that height even in 72 points.
constexpr int kPagedFrom = 50'000;
// Characters from which an inserted text is laid out in steps rather than at once: about as much
// as Qt lays out in a few hundredths of a second.
constexpr int kHeldFrom = longparagraphs::kMaxPieceLength;

}  // namespace

void RichTextBox::pageLongText() {
    // Unpaged, Qt's layout loops for ever once the text runs past 8,388,607 pixels (a few
    // megabytes in a narrow note). Pages that tall are never seen, and the layout moves on at
    // their ends. Paging costs a second layout, so only a text that could come near is paged.
    const QSizeF page = document()->pageSize();
    if (page.height() < 0 && page.width() > 0 && document()->characterCount() > kPagedFrom)
        document()->setPageSize(QSizeF(page.width(), kPageHeight));
}

void RichTextBox::holdLayout() {
    if (m_held) return;
    m_held = true;
    m_heldLarge = false;
    m_heldPage = document()->pageSize();
    m_heldFrom = std::numeric_limits<int>::max();
    document()->setPageSize(QSizeF(0, 0));
}

void RichTextBox::releaseLayout() {
    if (!m_held) return;
    m_held = false;
    QTextDocument* doc = document();
    // A control that was never given a width has nothing to lay out yet.
    if (!doc->pageSize().isNull() || m_heldPage.isNull() || m_heldPage.width() <= 0) {
        doc->setPageSize(m_heldPage);
        pageLongText();
        return;
    }
    // One layout, paged from the start where the text could run past Qt's limit.
    doc->setPageSize(QSizeF(m_heldPage.width(), doc->characterCount() > kPagedFrom
                                                    ? kPageHeight
                                                    : m_heldPage.height()));
}

bool RichTextBox::layoutUnderWay() const {
    // The last paragraph is laid out last.
    const QTextDocument* doc = document();
    return doc->characterCount() > kHeldFrom && doc->lastBlock().layout()->lineCount() == 0;
}

void RichTextBox::watchChange(int from, int added) {
    if (!m_held) {
        // Qt lays out a change in full, and one made while the layout is under way ends that
        // layout where the change was: the rest of the text would never be laid out.
        if (added <= kHeldFrom && !layoutUnderWay()) return;
        holdLayout();
        settleSoon();
    }
    m_heldFrom = std::min(m_heldFrom, from);
    if (added > kHeldFrom) m_heldLarge = true;
}

void RichTextBox::settleSoon() {
    // An edit the control makes by itself (a key, a drop) is settled when its event is handled;
    // this is for any other.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_ownEdit) settleLayout(textCursor(), false);
        },
        Qt::QueuedConnection);
}

void RichTextBox::settleLayout(const QTextCursor& start, bool always) {
    // Moving the insertion point asks the control's own events for it.
    const QScopedValueRollback own(m_ownEdit, true);
    if (!m_held) {
        pageLongText();
        if (always) setTextCursor(start);
        return;
    }
    // Still held: moving the insertion point repaints where it was, which may lie far down.
    if (always || m_heldLarge) setTextCursor(start);
    releaseLayout();
    ensureCursorVisible();
}
