// A note without a mouse: the keys that move between its text and its title strip, where a
// menu opened by a key belongs, and what a screen reader is told of it.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <algorithm>

#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "richtext/richtextbox.h"

namespace {

NoteWindow* noteOf(const QWidget* child) {
    return child ? qobject_cast<NoteWindow*>(child->window()) : nullptr;
}

// The title strip's buttons and its clock, left to right: to a reader they are the note's own,
// the strip itself is nothing to stop at.
QList<QAccessibleInterface*> stripChildren(const NoteWindow* note) {
    QList<std::pair<int, QObject*>> items;
    for (IconButton* button : note->titleStrip()->buttons())
        items.append({button->geometry().x(), button});
    items.append({note->titleLabel()->x(), note->titleLabel()});
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<QAccessibleInterface*> children;
    for (const auto& item : items) {
        if (QAccessibleInterface* child = QAccessible::queryAccessibleInterface(item.second))
            children.append(child);
    }
    return children;
}

// A note is a window to a screen reader, named after its first line; a locked one hides its
// text, so neither its first line nor the text itself is among what it tells.
class AccessibleNote : public QAccessibleWidget {
public:
    explicit AccessibleNote(NoteWindow* note) : QAccessibleWidget(note, QAccessible::Window) {}
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        return static_cast<const NoteWindow*>(widget())->readerName();
    }
    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface* child(int index) const override { return shownChildren().value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return int(shownChildren().indexOf(const_cast<QAccessibleInterface*>(child)));
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* child : shownChildren()) {
            if (!child->state().invisible && child->rect().contains(x, y)) return child;
        }
        return nullptr;
    }

private:
    QList<QAccessibleInterface*> shownChildren() const {
        const auto* note = static_cast<const NoteWindow*>(widget());
        QList<QAccessibleInterface*> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* child = QAccessibleWidget::child(i);
            if (child && child->object() == note->titleStrip())
                children.append(stripChildren(note));
            else if (child && !(note->isLocked() && child->object() == note->editor()))
                children.append(child);
        }
        return children;
    }
};

// The text of a locked note, should anyone ask for it: no name, no text.
class HiddenText : public QAccessibleWidget {
public:
    explicit HiddenText(QWidget* editor) : QAccessibleWidget(editor, QAccessible::EditableText) {}
    QString text(QAccessible::Text) const override { return {}; }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
};

// The title clock: its time, and when the note was made.
class AccessibleClock : public QAccessibleWidget {
public:
    explicit AccessibleClock(ClockLabel* clock)
        : QAccessibleWidget(clock, QAccessible::StaticText) {}
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(widget()->window());
    }
    QString text(QAccessible::Text t) const override {
        const auto* clock = static_cast<const ClockLabel*>(widget());
        switch (t) {
            case QAccessible::Name:
                return clock->text().isEmpty() ? QStringLiteral("时钟")
                                               : QStringLiteral("时钟 ") + clock->text();
            case QAccessible::Description:
                if (const NoteWindow* note = noteOf(clock))
                    return QStringLiteral("本贴创建时间：") + note->note().created;
                return {};
            default:
                return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* noteInterfaces(const QString& className, QObject* object) {
    if (className == QLatin1String("NoteWindow")) {
        if (auto* note = qobject_cast<NoteWindow*>(object)) return new AccessibleNote(note);
    } else if (className == QLatin1String("RichTextBox")) {
        auto* editor = qobject_cast<QWidget*>(object);
        const NoteWindow* note = noteOf(editor);
        if (note && note->editor() == editor && note->isLocked()) return new HiddenText(editor);
    } else if (className == QLatin1String("QWidget")) {
        if (auto* clock = dynamic_cast<ClockLabel*>(object)) return new AccessibleClock(clock);
    }
    return nullptr;
}

}  // namespace

void NoteWindow::setUpKeyboardAndReaders() {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(noteInterfaces);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    // The title strip's buttons take the focus by key only: a note activated by a click, the
    // window manager or a tool starts in its text, not on its menu button.
    m_editor->setFocus(Qt::OtherFocusReason);
}

QString NoteWindow::readerName() const {
    if (isLocked()) return QStringLiteral("加锁的帖子 ") + note().created;
    const QString firstLine = m_editor->accessibleName();
    return QStringLiteral("帖子：") + (firstLine.isEmpty() ? note().created : firstLine);
}

void NoteWindow::tellReadersOfName() {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void NoteWindow::tellReadersOfLock() {
    if (m_lockToldReaders == isLocked()) return;
    m_lockToldReaders = isLocked();
    // The text's interface is made anew, for the new state: one kept from before would still
    // read out a locked text.
    if (QAccessibleInterface* text = QAccessible::queryAccessibleInterface(m_editor))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(text));
    tellReadersOfName();
}

void NoteWindow::focusTitleStrip(bool last) {
    const QList<IconButton*> buttons = m_titleStrip->buttonsThatAct();
    if (!buttons.isEmpty())
        m_titleStrip->focusButton(last ? buttons.last() : buttons.first(),
                                  last ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

bool NoteWindow::focusNextPrevChild(bool next) {
    // The strip is a cycle: Tab past its last button would land in the text with no sign of
    // it, and the next Tab would type a tab there. Ctrl+Tab or Esc leave it.
    const QList<IconButton*> buttons = m_titleStrip->buttonsThatAct();
    const auto at = buttons.indexOf(m_titleStrip->focusedButton());
    if (at < 0) return QWidget::focusNextPrevChild(next);
    const qsizetype count = buttons.size();
    m_titleStrip->focusButton(buttons.at((at + (next ? 1 : count - 1)) % count),
                              next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void NoteWindow::focusText() {
    if (isLocked()) return;
    m_editor->setFocus(Qt::TabFocusReason);
}

QPoint NoteWindow::keyboardMenuPlace() const {
    const QWidget* focus = focusWidget();
    if (focus == m_editor && !isLocked()) {
        // Below the caret, kept inside the text's visible part.
        const QRect shown = m_editor->viewport()->rect();
        const QRect caret = m_editor->cursorRect();
        const QPoint below(qBound(shown.left(), caret.left(), shown.right()),
                           qBound(shown.top(), caret.bottom() + 1, shown.bottom()));
        return m_editor->viewport()->mapToGlobal(below);
    }
    if (const IconButton* button = m_titleStrip->focusedButton()) return button->menuPlace();
    if (focus && focus != this && focus->isVisibleTo(this))
        return focus->mapToGlobal(focus->rect().bottomLeft());
    return mapToGlobal(QPoint(0, kTitleStripHeight));
}

void NoteWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) &&
        (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {
        if (m_editor->hasFocus())
            focusTitleStrip(key == Qt::Key_Backtab);
        else
            focusText();
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !m_editor->hasFocus() &&
        !isLocked()) {
        focusText();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
