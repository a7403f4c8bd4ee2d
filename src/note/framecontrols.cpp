#include "note/framecontrols.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QSvgRenderer>

#include "desktop/directpaint.h"

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

}  // namespace

namespace {

// A label that acts as a button: a screen reader must see a button it can press.
class AccessibleIconButton : public QAccessibleWidget {
public:
    explicit AccessibleIconButton(IconButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}
    // The description is the tool tip, as QAccessibleWidget reads it.
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<IconButton*>(widget())->readerName();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<IconButton*>(widget())->pressWithoutMouse();
    }
};

QAccessibleInterface* iconButtonInterface(const QString& className, QObject* object) {
    auto* button =
        className == QLatin1String("IconButton") ? qobject_cast<IconButton*>(object) : nullptr;
    if (!button || button->readerName().isEmpty()) return nullptr;
    return new AccessibleIconButton(button);
}

}  // namespace

IconButton::IconButton(QWidget* parent, const QString& icon, const QRect& place,
                       const QString& toolTip, QString name)
    : QWidget(parent), m_readerName(std::move(name)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(iconButtonInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setGeometry(place);
    setToolTip(toolTip);
    // Reached by Tab only: a click leaves the focus in the note's text.
    setFocusPolicy(Qt::TabFocus);
    setIcon(icon);
}

void ClockLabel::showTime(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    if (!isVisible()) return;  // painted when shown
    if (!directpaint::paintNow(this)) {
        update();
        return;
    }
    if (!m_repaintsAfterExpose) directpaint::repaintAfterExpose(this);
    m_repaintsAfterExpose = true;
}

void ClockLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, rect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), m_text, foregroundRole());
}

void IconButton::setIcon(const QString& icon) {
    m_pixmap = renderIcon(icon, size(), devicePixelRatioF());
    update();
}

void IconButton::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void IconButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_pressed = false;
    event->accept();
    if (click && isEnabled()) Q_EMIT clicked();
}

void IconButton::pressWithoutMouse() {
    if (!isEnabled()) return;
    m_withoutMouse = true;
    const QPointer<IconButton> alive(this);
    Q_EMIT clicked();
    if (alive) m_withoutMouse = false;
}

void IconButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        pressWithoutMouse();
        return;
    }
    QWidget::keyPressEvent(event);
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_pixmap.isNull()) {
        const QSizeF shown = m_pixmap.deviceIndependentSize();
        painter.drawPixmap(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                           m_pixmap);
    }
    if (!hasFocus()) return;
    // The focus mark: plain to see on any note colour.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(3, 6, -3, -3), 3, 3);
}

bool WindowDrag::handle(QEvent* event, const std::function<QPoint()>& origin,
                        const std::function<void(QPoint)>& moveTo) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton) return false;
            m_from = mouse->globalPosition().toPoint();
            m_origin = origin();
            m_dragging = false;
            return true;
        case QEvent::MouseMove: {
            if (!m_from || !(mouse->buttons() & Qt::LeftButton)) return false;
            const QPoint travel = mouse->globalPosition().toPoint() - *m_from;
            if (!m_dragging && travel.manhattanLength() < QApplication::startDragDistance())
                return true;  // a click, not a drag
            m_dragging = true;
            moveTo(m_origin + travel);
            return true;
        }
        case QEvent::MouseButtonRelease:
            m_from.reset();
            m_dragging = false;
            return false;
        default:
            return false;
    }
}

bool WindowDrag::handle(QEvent* event, QWidget* window) {
    return handle(
        event, [window] { return window->pos(); }, [window](QPoint to) { window->move(to); });
}
