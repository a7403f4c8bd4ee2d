#pragma once
// The icon buttons and the clock of a note's title strip.

#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>

// An icon that acts on a left click, or on Space or Enter once reached by Tab; a disabled one
// ignores both.
class IconButton : public QWidget {
    Q_OBJECT
public:
    // A screen reader reads `name` and, as its description, `toolTip`; a picture without a
    // name is no button to it.
    IconButton(QWidget* parent, const QString& icon, const QRect& place,
               const QString& toolTip = {}, QString name = {});
    void setIcon(const QString& icon);
    const QPixmap& pixmap() const { return m_pixmap; }
    // Pressed by a key or a screen reader, not the mouse: what it opens belongs at the button,
    // not at the pointer. Meant for the handlers of clicked().
    bool pressedWithoutMouse() const { return m_withoutMouse; }
    void pressWithoutMouse();
    const QString& readerName() const { return m_readerName; }

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;  // drawn centred
    bool m_pressed = false;
    bool m_withoutMouse = false;
    // Not the accessible name: setting that makes a screen reader's object for every button of
    // every note at once, reader or not.
    QString m_readerName;
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
