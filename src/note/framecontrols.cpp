#include "note/framecontrols.h"

#include <QAccessible>
#include <QAccessibleObject>

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolTip>

#include "desktop/directpaint.h"

QPixmap renderIcon(const QString& name, QSize size, qreal dpr) {
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

namespace {

// An icon of the strip as a screen reader sees it: a button it can press, a child of the note.
class AccessibleIconButton : public QAccessibleObject, public QAccessibleActionInterface {
public:
    explicit AccessibleIconButton(IconButton* button) : QAccessibleObject(button) {}
    IconButton* button() const { return static_cast<IconButton*>(object()); }

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(button()->strip()->window());
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QWindow* window() const override { return button()->strip()->window()->windowHandle(); }
    QRect rect() const override { return button()->screenRect(); }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return button()->readerName();
        if (t == QAccessible::Description) return button()->toolTip();
        return {};
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        const bool shown = button()->isVisible() && button()->strip()->isVisible();
        s.invisible = !shown;
        s.disabled = !button()->isEnabled();
        s.focusable = shown && button()->isEnabled();
        s.focused = button()->hasFocus();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) button()->pressWithoutMouse();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* iconButtonInterface(const QString& className, QObject* object) {
    if (className != QLatin1String("IconButton")) return nullptr;
    auto* button = qobject_cast<IconButton*>(object);
    return button ? new AccessibleIconButton(button) : nullptr;
}

}  // namespace

IconButton::IconButton(TitleStrip* strip, const QString& icon, const QRect& place, QString toolTip,
                       QString name)
    : QObject(strip), m_place(place), m_toolTip(std::move(toolTip)), m_readerName(std::move(name)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(iconButtonInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setIcon(icon);
}

TitleStrip* IconButton::strip() const {
    return static_cast<TitleStrip*>(parent());
}

void IconButton::setIcon(const QString& icon) {
    m_pixmap = renderIcon(icon, m_place.size(), strip()->devicePixelRatioF());
    strip()->update(m_place);
}

void IconButton::setGeometry(const QRect& place) {
    if (place == m_place) return;
    strip()->update(m_place);
    m_place = place;
    strip()->update(m_place);
}

void IconButton::setVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    strip()->buttonChanged(this);
}

void IconButton::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    strip()->buttonChanged(this);
}

bool IconButton::hasFocus() const {
    return strip()->focusedButton() == this;
}

QRect IconButton::screenRect() const {
    const QRect shown = m_place.intersected(strip()->rect());
    return {strip()->mapToGlobal(shown.topLeft()), shown.size()};
}

QPoint IconButton::menuPlace() const {
    return strip()->mapToGlobal(m_place.bottomLeft());
}

void IconButton::pressWithoutMouse() {
    if (!m_enabled) return;
    m_withoutMouse = true;
    const QPointer<IconButton> alive(this);
    Q_EMIT clicked();
    if (alive) m_withoutMouse = false;
}

TitleStrip::TitleStrip(QWidget* parent) : QWidget(parent) {
    // Reached by Tab only: a click leaves the focus in the note's text.
    setFocusPolicy(Qt::TabFocus);
}

IconButton* TitleStrip::addButton(const QString& icon, const QRect& place, const QString& toolTip,
                                  const QString& name) {
    auto* button = new IconButton(this, icon, place, toolTip, name);
    m_buttons.append(button);
    return button;
}

QList<IconButton*> TitleStrip::buttonsThatAct() const {
    QList<IconButton*> acting;
    for (IconButton* button : m_buttons) {
        if (button->isVisible() && button->isEnabled()) acting.append(button);
    }
    return acting;
}

IconButton* TitleStrip::buttonAt(QPoint point) const {
    // Drawn in order, so where two overlap the later one is on top.
    for (auto it = m_buttons.crbegin(); it != m_buttons.crend(); ++it) {
        if ((*it)->isVisible() && (*it)->geometry().contains(point)) return *it;
    }
    return nullptr;
}

void TitleStrip::focusButton(IconButton* button, Qt::FocusReason reason) {
    if (!button || !button->isVisible() || !button->isEnabled()) return;
    const bool moved = m_focused != button;
    if (m_focused) update(m_focused->geometry());
    m_focused = button;
    update(button->geometry());
    if (!hasFocus())
        setFocus(reason);  // tells readers itself
    else if (moved)
        tellReadersOfFocus();
}

void TitleStrip::buttonChanged(IconButton* button) {
    update(button->geometry());
    if (button == m_focused && hasFocus() && !(button->isVisible() && button->isEnabled())) {
        // The keyboard goes to the next button that acts, as it would leave a widget hidden.
        const QList<IconButton*> acting = buttonsThatAct();
        if (acting.isEmpty())
            focusNextPrevChild(true);
        else
            focusButton(acting.first(), Qt::OtherFocusReason);
    }
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.invisible = true;
        changed.disabled = true;
        QAccessibleStateChangeEvent event(button, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void TitleStrip::tellReadersOfFocus() {
    if (!QAccessible::isActive() || !focusedButton()) return;
    // After the strip's own focus event, which Qt sends once the focus has moved: the reader
    // lands on the button.
    QTimer::singleShot(0, this, [this] {
        if (IconButton* button = focusedButton()) {
            QAccessibleEvent event(button, QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
    });
}

void TitleStrip::focusInEvent(QFocusEvent* event) {
    const QList<IconButton*> acting = buttonsThatAct();
    if (!acting.contains(m_focused))
        m_focused = acting.isEmpty()                            ? nullptr
                    : event->reason() == Qt::BacktabFocusReason ? acting.last()
                                                                : acting.first();
    if (m_focused) update(m_focused->geometry());
    tellReadersOfFocus();
    QWidget::focusInEvent(event);
}

void TitleStrip::focusOutEvent(QFocusEvent* event) {
    if (m_focused) update(m_focused->geometry());
    QWidget::focusOutEvent(event);
}

void TitleStrip::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const IconButton* button : std::as_const(m_buttons)) {
        const QRect& place = button->geometry();
        if (!button->isVisible() || !event->rect().intersects(place)) continue;
        const QPixmap& pixmap = button->pixmap();
        const QSizeF shown = pixmap.deviceIndependentSize();
        painter.drawPixmap(QPointF(place.x() + (place.width() - shown.width()) / 2,
                                   place.y() + (place.height() - shown.height()) / 2),
                           pixmap);
    }
    const IconButton* focused = focusedButton();
    if (!focused) return;
    // The focus mark: plain to see on any note colour.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRoundedRect(QRectF(focused->geometry()).adjusted(3, 6, -3, -3), 3, 3);
}

void TitleStrip::mousePressEvent(QMouseEvent* event) {
    IconButton* button = buttonAt(event->position().toPoint());
    if (!button) {
        event->ignore();  // the bare strip: the note's, to drag it by
        return;
    }
    // A disabled button takes the press and does nothing, as a disabled widget would.
    if (event->button() == Qt::LeftButton && button->isEnabled()) m_pressed = button;
    event->accept();
}

void TitleStrip::mouseReleaseEvent(QMouseEvent* event) {
    IconButton* pressed = std::exchange(m_pressed, nullptr);
    if (!pressed) {
        event->ignore();  // the end of the note's drag
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton && buttonAt(event->position().toPoint()) == pressed &&
        pressed->isEnabled())
        Q_EMIT pressed->clicked();
}

void TitleStrip::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (m_focused && event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        m_focused->pressWithoutMouse();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TitleStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const IconButton* button = buttonAt(help->pos()))
            QToolTip::showText(help->globalPos(), button->toolTip(), this, button->geometry());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
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
