#include "note/picturebutton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "note/framecontrols.h"

namespace {

// A picture that acts as a button: a screen reader must see a button it can press.
class AccessiblePictureButton : public QAccessibleWidget {
public:
    explicit AccessiblePictureButton(PictureButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}
    // The description is the tool tip, as QAccessibleWidget reads it.
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<PictureButton*>(widget())->readerName();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<PictureButton*>(widget())->pressWithoutMouse();
    }
};

QAccessibleInterface* pictureButtonInterface(const QString& className, QObject* object) {
    auto* button = className == QLatin1String("PictureButton")
                       ? qobject_cast<PictureButton*>(object)
                       : nullptr;
    if (!button || button->readerName().isEmpty()) return nullptr;
    return new AccessiblePictureButton(button);
}

}  // namespace

PictureButton::PictureButton(QWidget* parent, const QString& icon, const QRect& place,
                             const QString& toolTip, QString name)
    : QWidget(parent), m_readerName(std::move(name)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(pictureButtonInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setGeometry(place);
    setToolTip(toolTip);
    // Reached by Tab only: a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setIcon(icon);
}

void PictureButton::setIcon(const QString& icon) {
    m_pixmap = renderIcon(icon, size(), devicePixelRatioF());
    update();
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_pressed = false;
    event->accept();
    if (click && isEnabled()) Q_EMIT clicked();
}

void PictureButton::pressWithoutMouse() {
    if (isEnabled()) Q_EMIT clicked();
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        pressWithoutMouse();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureButton::paintEvent(QPaintEvent*) {
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
