#pragma once
// A note's title strip: its icon buttons and its clock; and a window dragged by the mouse.

#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>

class TitleStrip;

// One of the program's pictures (":/icons/name") drawn at a size: each once, since every note
// shows the same few.
QPixmap renderIcon(const QString& name, QSize size, qreal dpr);

// An icon of a title strip that acts on a left click, or on Space or Enter once reached by Tab;
// a disabled one ignores both. No widget of its own: the strip draws it, takes its clicks and
// keys, and answers screen readers for it.
class IconButton : public QObject {
    Q_OBJECT
public:
    // A screen reader reads `name` and, as its description, `toolTip`.
    IconButton(TitleStrip* strip, const QString& icon, const QRect& place, QString toolTip,
               QString name);
    void setIcon(const QString& icon);
    const QPixmap& pixmap() const { return m_pixmap; }
    // Where it lies in the strip.
    const QRect& geometry() const { return m_place; }
    // A new place; its picture is drawn for it by the next setIcon().
    void setGeometry(const QRect& place);
    void moveLeftTo(int x) { setGeometry(m_place.translated(x - m_place.x(), 0)); }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Whether it has the keyboard: the strip has it, and this button in the strip.
    bool hasFocus() const;
    const QString& toolTip() const { return m_toolTip; }
    const QString& readerName() const { return m_readerName; }
    TitleStrip* strip() const;
    // Its place on the screen, and where a menu it opens goes: below its bottom-left corner.
    QRect screenRect() const;
    QPoint menuPlace() const;
    // Pressed by a key or a screen reader, not the mouse: what it opens belongs at the button,
    // not at the pointer. Meant for the handlers of clicked().
    bool pressedWithoutMouse() const { return m_withoutMouse; }
    void pressWithoutMouse();

Q_SIGNALS:
    void clicked();

private:
    QRect m_place;
    QPixmap m_pixmap;  // drawn centred
    bool m_visible = true;
    bool m_enabled = true;
    bool m_withoutMouse = false;
    QString m_toolTip;
    QString m_readerName;
};

// A note's title strip: its icons, each drawn here and acting as a button, and the clock
// between them, a widget of its own since it is put on the screen every second. One widget for
// the strip, not one for each icon: a note shows five.
class TitleStrip : public QWidget {
    Q_OBJECT
public:
    explicit TitleStrip(QWidget* parent);
    // Left to right; every button is the strip's child.
    IconButton* addButton(const QString& icon, const QRect& place, const QString& toolTip,
                          const QString& name);
    const QList<IconButton*>& buttons() const { return m_buttons; }
    // The buttons that are shown and enabled, left to right.
    QList<IconButton*> buttonsThatAct() const;
    // The button that has the keyboard while the strip has it; nullptr when none.
    IconButton* focusedButton() const { return hasFocus() ? m_focused : nullptr; }
    void focusButton(IconButton* button, Qt::FocusReason reason);
    // A button that changed: drawn again; one that stopped acting gives up the keyboard.
    void buttonChanged(IconButton* button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    IconButton* buttonAt(QPoint point) const;
    void tellReadersOfFocus();

    QList<IconButton*> m_buttons;
    IconButton* m_focused = nullptr;
    IconButton* m_pressed = nullptr;  // by the left mouse button, until released
};

// The title clock, drawn as a left-aligned label. Its text changes every second: where it can,
// the new text goes straight onto the window (platform/directpaint), which wakes nobody up;
// otherwise, and whenever the window repaints that part itself, it is painted as usual.
class ClockLabel : public QWidget {
public:
    using QWidget::QWidget;
    const QString& text() const { return m_text; }
    void showTime(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    bool m_repaintsAfterExpose = false;
};

// Moves a window with the left mouse button held on it, where the window manager does not take
// the drag (a note hands it to the manager first). A click that does not travel moves nothing.
class WindowDrag {
public:
    // Feed it the mouse presses, moves and releases; true when the event was the drag's.
    // `origin` is where the window stands, `moveTo` puts it somewhere else.
    bool handle(QEvent* event, const std::function<QPoint()>& origin,
                const std::function<void(QPoint)>& moveTo);
    // The same for a plain window.
    bool handle(QEvent* event, QWidget* window);
    void cancel() { m_from.reset(); }

private:
    std::optional<QPoint> m_from;  // where the mouse was pressed
    QPoint m_origin;               // where the window stood then
    bool m_dragging = false;       // the mouse has travelled far enough
};
