#include "dialogs/iconpicker.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>

#include "dialogs/toolframe.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/units.h"
#include "richtext/richtextbox.h"

IconPicker::IconPicker(std::function<NoteWindow*()> currentNote)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_currentNote(std::move(currentNote)) {
    toolframe::setUp(this, 4575, 2970);
    titleLabel = toolframe::addTitle(this, QStringLiteral("图标选择"), QRect(1800, 60, 780, 180));
    insertButton =
        new PictureButton(this, QStringLiteral("insert.svg"), units::twipsRect(0, -75, 480, 480),
                          QStringLiteral("加入图标"), QStringLiteral("加入图标"));
    closeButton = new PictureButton(this, QStringLiteral("list-close.svg"),
                                    units::twipsRect(4080, -75, 480, 480),
                                    QStringLiteral("关闭图标选择"), QStringLiteral("关闭"));

    palette = new RichTextBox(this);
    palette->setGeometry(units::twipsRect(0, 300, 4575, 2655));
    palette->setReadOnly(true);  // what is changed here would never be kept
    palette->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const QString path = paths::shippedFile(QStringLiteral("kvz.dat"));
    QString error;
    if (!palette->load(path, &error))
        palette->setPlaceholderText(QStringLiteral("没有图标：无法读取图标文件\n") + error);

    palette->installEventFilter(this);
    setFocusProxy(palette);
    connect(insertButton, &PictureButton::clicked, this, &IconPicker::insertIcon);
    connect(closeButton, &PictureButton::clicked, this, &IconPicker::closeRequested);
}

void IconPicker::showOnTop() {
    toolframe::showOnTop(this);
    palette->setFocus(Qt::ActiveWindowFocusReason);
    if (!palette->textCursor().hasSelection()) selectPicture(Qt::Key_Right);
}

bool IconPicker::paletteKey(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= ~Qt::KeypadModifier;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (modifiers != Qt::NoModifier) return false;  // Shift selects as usual
            selectPicture(key);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Plus:
            if (modifiers & ~Qt::ShiftModifier) return false;
            insertIcon();
            return true;
        case Qt::Key_Escape:
            closeByKey();
            return true;
        default:
            return false;
    }
}

void IconPicker::selectPicture(int arrow) {
    const QTextDocument* document = palette->document();
    const auto isPicture = [document](int at) {
        return document->characterAt(at) == QChar::ObjectReplacementCharacter;
    };
    const QTextCursor now = palette->textCursor();
    const int start = now.selectionStart();
    const int end = document->characterCount() - 1;
    int found = -1;
    if (arrow == Qt::Key_Left || arrow == Qt::Key_Right) {
        const int step = arrow == Qt::Key_Left ? -1 : 1;
        int at =
            arrow == Qt::Key_Left ? start - 1 : (now.hasSelection() ? now.selectionEnd() : start);
        for (; at >= 0 && at < end && found < 0; at += step) {
            if (isPicture(at)) found = at;
        }
    } else {
        QTextCursor line = now;
        line.setPosition(start);
        if (!line.movePosition(arrow == Qt::Key_Up ? QTextCursor::Up : QTextCursor::Down)) return;
        // The picture nearest to where the line above or below was reached, on that side.
        const int target = line.position();
        for (int distance = 0; distance <= end && found < 0; ++distance) {
            for (const int at : {target + distance, target - distance}) {
                const bool onThatSide = arrow == Qt::Key_Up ? at < start : at > start;
                if (at >= 0 && at < end && onThatSide && isPicture(at)) {
                    found = at;
                    break;
                }
            }
        }
    }
    if (found < 0) return;
    QTextCursor picked(palette->document());
    picked.setPosition(found);
    picked.setPosition(found + 1, QTextCursor::KeepAnchor);
    palette->setTextCursor(picked);
    palette->ensureCursorVisible();
}

void IconPicker::closeByKey() {
    const QPointer<NoteWindow> note = m_currentNote ? m_currentNote() : nullptr;
    Q_EMIT closeRequested();
    if (!note || !note->isVisible()) return;
    note->activateWindow();
    note->editor()->setFocus(Qt::ActiveWindowFocusReason);
}

void IconPicker::keyPressEvent(QKeyEvent* event) {
    // Esc from the picker's buttons too.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        closeByKey();
        return;
    }
    QWidget::keyPressEvent(event);
}

void IconPicker::insertIcon() {
    NoteWindow* note = m_currentNote ? m_currentNote() : nullptr;
    if (!note || note->isLocked()) {
        QToolTip::showText(insertButton->mapToGlobal(insertButton->rect().bottomLeft()),
                           QStringLiteral("没有可以插入图标的帖子：请先点一下要插入的帖子。"),
                           insertButton);
        return;
    }
    palette->copy();
    note->editor()->paste();
}

bool IconPicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched != palette || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return paletteKey(key->key(), key->modifiers());
}

bool IconPicker::event(QEvent* event) {
    // Dragged by its background.
    if (m_drag.handle(event, this)) return true;
    return QWidget::event(event);
}

void IconPicker::closeEvent(QCloseEvent* event) {
    // Closed from outside (the window manager): closed as by its own button.
    event->ignore();
    Q_EMIT closeRequested();
}
