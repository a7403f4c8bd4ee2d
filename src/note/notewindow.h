#pragma once
// The note window. The window is the note: all per-note state lives in the window's Tag, in
// properties of its controls and in a few members, exactly where the store reads and writes it.

#include <QColor>
#include <QLabel>
#include <QPoint>
#include <QString>
#include <array>

#include "platform/forms.h"

class RichTextBox;

// A picture control of the title strip: an icon with a Tag, shown or hidden, enabled or not.
class ImageControl : public QLabel {
    Q_OBJECT
public:
    ImageControl(QWidget* parent, const QString& icon, const QRect& design,
                 const QString& toolTip = {});

    const QString& Tag() const { return m_tag; }
    void setTag(const QString& tag);
    // Shown in its window, whether or not the window itself is on screen.
    bool Visible() const { return !isHidden(); }
    void setVisible(bool visible) override;
    void setIcon(const QString& icon);

Q_SIGNALS:
    void Click();
    // The Tag or the shown state changed: per-note state the store keeps.
    void StateChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_tag;
    bool m_pressed = false;
};

// A transparent resize grip, found only by its cursor.
class GripControl : public QWidget {
    Q_OBJECT
public:
    GripControl(QWidget* parent, int index);

Q_SIGNALS:
    void MouseDown(int index);
    void MouseMove(int index);
    void MouseUp(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index;
};

// A timer's state. One shared ticker drives the ticks of every note (no timers per note).
struct TimerState {
    int Interval;
    bool Enabled;
    QString Tag;
};

class Form1 : public Form {
    Q_OBJECT
public:
    // The design Tag of a note window, replaced by the note's number when CreateNote numbers it.
    static inline const QString kDesignTag = QStringLiteral("Jotpin");
    // Design colour &H0080FFFF: light yellow.
    static inline const QColor kDesignColor = QColor(255, 255, 128);

    Form1();

    // Window geometry in twips. Kept exactly as set while the window stands where that value
    // puts it, so that a stored 638 reads back as 638, not as 43 pixels times 15.
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void setLeft(int twips) { Move(twips, m_top, m_width, m_height); }
    void setTop(int twips) { Move(m_left, twips, m_width, m_height); }
    void setWidth(int twips) { Move(m_left, m_top, twips, m_height); }
    void setHeight(int twips) { Move(m_left, m_top, m_width, twips); }
    void Move(int left, int top, int width, int height);

    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor& colour);

    // Applies an opacity 0 (invisible) .. 255 (opaque).
    void applyOpacity(int alpha);

    // Lays out the controls for the current size, after the size clamps.
    void Form_Resize();
    // Applies the travel of grip `index` from ResizeStart to ResizeCurrent.
    void ResizeByGrip(int index);

    // Controls, named as the store and the commands address them.
    ImageControl* Image1;                 // delete button; Tag: opacity
    ImageControl* Image2;                 // menu button; Tag: height before locking
    ImageControl* Image3;                 // alarm icon; Tag: reminder text; Visible: reminder on
    ImageControl* Image4;                 // hide button; Tag: lock password
    ImageControl* Image5;                 // unlock button; Tag: alarm sound path; Visible: locked
    std::array<ImageControl*, 3> Image6;  // blink frames and the normal alarm picture
    QLabel* Label1;                       // title strip: clock, drag handle
    std::array<GripControl*, 8> Resizer;
    RichTextBox* RichTextBox1;
    TimerState Timer1{1000, false, QStringLiteral("0")};
    TimerState Timer2{500, true, QString()};

    bool jiantieban = false;  // clipboard capture on
    bool Resizing = false;
    QPoint ResizeStart;
    QPoint ResizeCurrent;
    QString LastClipText;

    bool isLocked() const;
    // Makes this note the current one: CurrentNoteIndex = its position in Forms.
    void Form_Activate();

Q_SIGNALS:
    // Something the store keeps changed: text, formatting, place, size, colour, visibility,
    // or the state held by the title-strip controls (lock, reminder, opacity, sound).
    void Changed();

protected:
    void Form_Load();
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyGeometry();
    QPoint intendedPosition() const;
    void startDrag();

    int m_left = 11235;
    int m_top = 405;
    int m_width = 3345;
    int m_height = 3825;
    QColor m_backColor = kDesignColor;
    bool m_applyingGeometry = false;
    bool m_userMoving = false;  // a drag by the window body or title is under way
    bool m_reasserted = false;  // our place was asked for again since the window was shown
};
