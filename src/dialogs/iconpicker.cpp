#include "dialogs/iconpicker.h"

#include <QCloseEvent>
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
        new IconButton(this, QStringLiteral("insert.svg"), units::twipsRect(0, -75, 480, 480),
                       QStringLiteral("加入图标"), QStringLiteral("加入图标"));
    closeButton = new IconButton(this, QStringLiteral("list-close.svg"),
                                 units::twipsRect(4080, -75, 480, 480),
                                 QStringLiteral("关闭图标选择"), QStringLiteral("关闭"));

    palette = new RichTextBox(this);
    palette->setGeometry(units::twipsRect(0, 300, 4575, 2655));
    palette->setReadOnly(true);  // what is changed here would never be kept
    palette->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const QString path = paths::shippedFile(QStringLiteral("kvz.dat"));
    QString error;
    if (!palette->setFileName(path, &error))
        palette->setPlaceholderText(QStringLiteral("没有图标：无法读取图标文件\n") + error);

    connect(insertButton, &IconButton::clicked, this, &IconPicker::insertIcon);
    connect(closeButton, &IconButton::clicked, this, &IconPicker::closeRequested);
}

void IconPicker::showOnTop() {
    toolframe::showOnTop(this);
}

void IconPicker::insertIcon() {
    NoteWindow* note = m_currentNote ? m_currentNote() : nullptr;
    if (!note || note->isLocked()) {
        QToolTip::showText(insertButton->mapToGlobal(insertButton->rect().bottomLeft()),
                           QStringLiteral("没有可以插入图标的帖子：请先点一下要插入的帖子。"),
                           insertButton);
        return;
    }
    palette->Copy();
    note->editor()->Paste();
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
