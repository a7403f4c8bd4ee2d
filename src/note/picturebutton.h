#pragma once
// A picture that acts as a button in the program's dialogs.

#include <QPixmap>
#include <QWidget>

// A picture of a dialog that acts on a left click, or on Space or Enter once reached by Tab; a
// disabled one ignores both. A widget of its own: a dialog shows a few.
class PictureButton : public QWidget {
    Q_OBJECT
public:
    // A screen reader reads `name` and, as its description, `toolTip`; a picture without a
    // name is no button to it.
    PictureButton(QWidget* parent, const QString& icon, const QRect& place,
                  const QString& toolTip = {}, QString name = {});
    void setIcon(const QString& icon);
    // Pressed by a key or a screen reader.
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
    // Not the accessible name, which would make a screen reader's object for it at once, reader
    // or not.
    QString m_readerName;
};
