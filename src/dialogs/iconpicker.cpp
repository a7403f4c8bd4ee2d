#include "dialogs/iconpicker.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QToolTip>

#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/units.h"
#include "platform/windowops.h"
#include "richtext/richtextbox.h"
#include "store/values.h"

namespace {

QRect twipsRect(int left, int top, int width, int height) {
    return {units::twipsToPixels(left), units::twipsToPixels(top), units::twipsToPixels(width),
            units::twipsToPixels(height)};
}

}  // namespace

IconPicker::IconPicker(std::function<NoteWindow*()> currentNote)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), m_currentNote(std::move(currentNote)) {
    setWindowTitle(QStringLiteral("Jotpin"));
    setAutoFillBackground(true);
    QPalette p = QWidget::palette();
    p.setColor(QPalette::Window, store::colourFromBgr(0x00FFC0C0));
    setPalette(p);

    titleLabel = new QLabel(QStringLiteral("图标选择"), this);
    titleLabel->setGeometry(twipsRect(1800, 60, 780, 180));
    QFont title(QStringLiteral("宋体"), 9);
    title.setBold(true);
    titleLabel->setFont(title);
    QPalette labelPalette = titleLabel->palette();
    labelPalette.setColor(QPalette::WindowText, store::colourFromBgr(0x00400000));
    titleLabel->setPalette(labelPalette);
    insertButton = new IconButton(this, QStringLiteral("insert.svg"), twipsRect(0, -75, 480, 480),
                                  QStringLiteral("加入图标"));
    closeButton = new IconButton(this, QStringLiteral("list-close.svg"),
                                 twipsRect(4080, -75, 480, 480), QStringLiteral("关闭"));

    palette = new RichTextBox(this);
    palette->setGeometry(twipsRect(0, 300, 4575, 2655));
    palette->setReadOnly(true);  // what is changed here would never be kept
    palette->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const QString path = paths::shippedFile(QStringLiteral("kvz.dat"));
    QString error;
    if (!palette->setFileName(path, &error))
        palette->setPlaceholderText(QStringLiteral("没有图标：无法读取图标文件\n") + error);

    connect(insertButton, &IconButton::clicked, this, &IconPicker::insertIcon);
    connect(closeButton, &IconButton::clicked, this, &IconPicker::closeRequested);

    QRect frame(QPoint(), QSize(units::twipsToPixels(4575), units::twipsToPixels(2970)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.moveCenter(screen->geometry().center());
    setGeometry(frame);
}

void IconPicker::showOnTop() {
    windowops::setTopmost(this, true);
    show();
    raise();
    activateWindow();
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
