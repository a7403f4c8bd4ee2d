#include "note/form1.h"

#include <QCloseEvent>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include "note/createnote.h"
#include "note/notelayout.h"
#include "richtext/richtextbox.h"
#include "platform/units.h"

namespace {

QPixmap renderIcon(const QString& name, QSize size, qreal dpr) {
    // Every note shows the same few pictures: draw each once.
    static QHash<QString, QPixmap> cache;
    const QString key = name + u'@' + QString::number(size.width()) + u'x' +
                        QString::number(size.height()) + u'@' + QString::number(dpr);
    if (const auto it = cache.constFind(key); it != cache.cend()) return *it;
    QSvgRenderer renderer(QStringLiteral(":/icons/") + name);
    QPixmap pixmap(size * dpr);
    pixmap.fill(Qt::transparent);
    pixmap.setDevicePixelRatio(dpr);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    cache.insert(key, pixmap);
    return pixmap;
}

constexpr std::array<Qt::CursorShape, notelayout::GripCount> kGripCursors = {
    Qt::SizeHorCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor,   Qt::SizeVerCursor,
    Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor,
};

}  // namespace

ImageControl::ImageControl(QWidget* parent, const QString& icon, const QRect& design,
                           const QString& toolTip)
    : QLabel(parent) {
    setGeometry(design);
    setToolTip(toolTip);
    setAlignment(Qt::AlignCenter);
    setIcon(icon);
}

void ImageControl::setTag(const QString& tag) {
    if (tag == m_tag) return;
    m_tag = tag;
    Q_EMIT StateChanged();
}

void ImageControl::setVisible(bool visible) {
    const bool wasHidden = isHidden();
    QLabel::setVisible(visible);
    if (wasHidden != isHidden()) Q_EMIT StateChanged();
}

void ImageControl::setIcon(const QString& icon) {
    setPixmap(renderIcon(icon, size(), devicePixelRatioF()));
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_pressed = false;
    event->accept();
    if (click && isEnabled()) Q_EMIT Click();
}

GripControl::GripControl(QWidget* parent, int index) : QWidget(parent), m_index(index) {
    setCursor(kGripCursors[index]);
    setAttribute(Qt::WA_NoSystemBackground);
}

void GripControl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT MouseDown(m_index);
}

void GripControl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT MouseMove(m_index);
}

void GripControl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT MouseUp(m_index);
}

Form1::Form1() : Form(nullptr, Qt::Tool | Qt::FramelessWindowHint) {
    setTag(kDesignTag);
    setWindowTitle(QString());
    setAutoFillBackground(true);

    Image2 = new ImageControl(this, QStringLiteral("menu.svg"), QRect(0, -5, 32, 32),
                              QStringLiteral("帖子管理"));
    Image3 = new ImageControl(this, QStringLiteral("alarm.svg"), QRect(24, -2, 24, 24),
                              QStringLiteral("关闭定时提醒"));
    Image5 = new ImageControl(this, QStringLiteral("unlock.svg"), QRect(46, -2, 20, 21),
                              QStringLiteral("解除锁定"));
    Label1 = new QLabel(this);
    Label1->setGeometry(72, 5, 97, 17);
    Label1->installEventFilter(this);
    Image4 = new ImageControl(this, QStringLiteral("hide.svg"), QRect(168, -5, 32, 32),
                              QStringLiteral("隐藏帖子"));
    Image1 = new ImageControl(this, QStringLiteral("delete.svg"), QRect(192, -5, 32, 32),
                              QStringLiteral("删除帖子"));
    Image6 = {new ImageControl(this, QStringLiteral("alarm-ring.svg"), QRect(0, 0, 24, 24)),
              new ImageControl(this, QStringLiteral("alarm-dim.svg"), QRect(0, 0, 24, 24)),
              new ImageControl(this, QStringLiteral("alarm.svg"), QRect(0, 0, 24, 24),
                               QStringLiteral("关闭定时提醒"))};
    Image6[1]->setTag(QStringLiteral("0"));
    for (ImageControl* picture : Image6)
        picture->hide();
    Image3->hide();
    Image5->hide();
    Image4->setTag(QStringLiteral("无密码"));

    RichTextBox1 = new RichTextBox(this);
    RichTextBox1->setBackColor(kDesignColor);
    const QFont font(QStringLiteral("宋体"), 9);
    RichTextBox1->setFont(font);
    RichTextBox1->document()->setDefaultFont(font);

    for (int i = 0; i < notelayout::GripCount; ++i) {
        Resizer[i] = new GripControl(this, i);
        connect(Resizer[i], &GripControl::MouseDown, this, [this](int index) {
            Resizing = true;
            ResizeStart = QCursor::pos();
            Q_UNUSED(index);
        });
        connect(Resizer[i], &GripControl::MouseMove, this, [this](int index) {
            if (!Resizing) return;
            ResizeCurrent = QCursor::pos();
            ResizeByGrip(index);
            ResizeStart = ResizeCurrent;
        });
        connect(Resizer[i], &GripControl::MouseUp, this, [this](int index) {
            Resizing = false;
            ResizeCurrent = QCursor::pos();
            ResizeByGrip(index);
        });
    }

    setBackColor(kDesignColor);
    applyGeometry();
    Form_Load();
    Form_Resize();

    for (ImageControl* control : {Image1, Image2, Image3, Image4, Image5})
        connect(control, &ImageControl::StateChanged, this, &Form1::Changed);
    connect(RichTextBox1->document(), &QTextDocument::contentsChanged, this, &Form1::Changed);
}

void Form1::Form_Load() {
    RichTextBox1->move(3, 15);
}

bool Form1::isLocked() const {
    return Image5->Visible();
}

void Form1::setBackColor(const QColor& colour) {
    m_backColor = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    update();
    Q_EMIT Changed();
}

void Form1::applyOpacity(int alpha) {
    setWindowOpacity(qBound(0, alpha, 255) / 255.0);
}

void Form1::Move(int left, int top, int width, int height) {
    const bool changed = left != m_left || top != m_top || width != m_width || height != m_height;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
    if (changed) Q_EMIT Changed();
}

QPoint Form1::intendedPosition() const {
    return {units::twipsToPixels(m_left), units::twipsToPixels(m_top)};
}

void Form1::applyGeometry() {
    m_applyingGeometry = true;
    setGeometry(units::twipsToPixels(m_left), units::twipsToPixels(m_top),
                qMax(1, units::twipsToPixels(m_width)), qMax(1, units::twipsToPixels(m_height)));
    m_applyingGeometry = false;
}

void Form1::Form_Resize() {
    const notelayout::SizeTwips clamped = notelayout::clampSize({m_width, m_height}, isLocked());
    if (clamped.width != m_width || clamped.height != m_height) {
        m_width = clamped.width;
        m_height = clamped.height;
        applyGeometry();
        Q_EMIT Changed();
    }
    const notelayout::Layout l =
        notelayout::layoutFor(units::twipsToPixels(m_width), units::twipsToPixels(m_height));
    Label1->move(l.label1Left, Label1->y());
    RichTextBox1->setGeometry(l.richText);
    Image1->move(l.image1Left, Image1->y());
    Image4->move(l.image4Left, Image4->y());
    for (int i = 0; i < notelayout::GripCount; ++i) {
        Resizer[i]->setGeometry(l.grips[i]);
        Resizer[i]->raise();
    }
}

void Form1::ResizeByGrip(int index) {
    const auto moved =
        notelayout::resizeByGrip({double(m_left), double(m_top), double(m_width), double(m_height)},
                                 ResizeStart, ResizeCurrent, index);
    // A size below zero is refused; the window keeps its place and size.
    if (!moved || moved->width < 0 || moved->height < 0) return;
    Move(qRound(moved->left), qRound(moved->top), qRound(moved->width), qRound(moved->height));
    Form_Resize();
}

void Form1::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    // A size from outside (the window manager) replaces the twips; ours stays as set.
    if (!m_applyingGeometry) {
        const int width = m_width;
        const int height = m_height;
        if (this->width() != units::twipsToPixels(m_width))
            m_width = units::pixelsToTwips(this->width());
        if (this->height() != units::twipsToPixels(m_height))
            m_height = units::pixelsToTwips(this->height());
        if (width != m_width || height != m_height) Q_EMIT Changed();
    }
    Form_Resize();
}

void Form1::moveEvent(QMoveEvent* event) {
    Form::moveEvent(event);
    // Only a move the user makes by dragging changes the stored place. While a window is
    // being mapped, X can report a passing position (the window manager's new frame at 0,0)
    // that is never corrected; taking it would save the note at the screen corner.
    if (m_applyingGeometry) return;
    if (!m_userMoving) {
        // Ask for our place once more: the window manager's answer puts Qt's idea of where
        // the window stands right again (a drag starts from that idea).
        if (event->spontaneous() && !m_reasserted && pos() != intendedPosition()) {
            m_reasserted = true;
            QTimer::singleShot(0, this, [this] { applyGeometry(); });
        }
        return;
    }
    const int left = m_left;
    const int top = m_top;
    if (x() != units::twipsToPixels(m_left)) m_left = units::pixelsToTwips(x());
    if (y() != units::twipsToPixels(m_top)) m_top = units::pixelsToTwips(y());
    if (left != m_left || top != m_top) Q_EMIT Changed();
}

void Form1::showEvent(QShowEvent* event) {
    m_userMoving = false;
    m_reasserted = false;
    Form::showEvent(event);
    if (!event->spontaneous()) Q_EMIT Changed();
}

void Form1::hideEvent(QHideEvent* event) {
    m_userMoving = false;
    Form::hideEvent(event);
    if (!event->spontaneous()) Q_EMIT Changed();
}

void Form1::changeEvent(QEvent* event) {
    Form::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
}

void Form1::closeEvent(QCloseEvent* event) {
    // A note goes only by its own delete commands, never by a window manager's close (Alt+F4,
    // the end of a session): a note closed that way would be missing from the next save.
    event->ignore();
}

void Form1::Form_Activate() {
    const int count = Forms::Count();
    for (int i = 1; i < count; ++i) {
        if (Forms::item(i)->Tag() == Tag()) {
            CurrentNoteIndex = qint16(i);
            return;
        }
    }
}

void Form1::startDrag() {
    if (QWindow* window = windowHandle()) m_userMoving = window->startSystemMove();
}

void Form1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) startDrag();
    event->accept();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        startDrag();
        return true;
    }
    return Form::eventFilter(watched, event);
}

void Form1::paintEvent(QPaintEvent* event) {
    Form::paintEvent(event);
    // A thin darker edge keeps a note apart from a background of the same colour.
    QPainter painter(this);
    painter.setPen(m_backColor.darker(140));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
