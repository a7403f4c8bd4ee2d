#pragma once
// The small controls of a note's frame: the icon buttons of its title strip and the invisible
// resize grips along its edges.

#include <QLabel>
#include <QWidget>

// An icon that acts on a left click; a disabled one ignores clicks.
class IconButton : public QLabel {
    Q_OBJECT
public:
    IconButton(QWidget* parent, const QString& icon, const QRect& place,
               const QString& toolTip = {});
    void setIcon(const QString& icon);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

// A transparent resize grip, found only by its cursor. Any mouse button drags it.
class ResizeGrip : public QWidget {
    Q_OBJECT
public:
    ResizeGrip(QWidget* parent, int index);

Q_SIGNALS:
    void pressed(int index);
    void dragged(int index);
    void released(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index;
};
