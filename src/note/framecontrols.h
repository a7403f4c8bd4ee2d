#pragma once
// The icon buttons of a note's title strip.

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
