#pragma once
// The note window: a borderless window with its own title strip and a rich-text editor. It
// shows a Note and reports every change of what the store keeps.

#include <QColor>
#include <QDateTime>
#include <QLabel>
#include <QPoint>
#include <QString>
#include <array>

#include "model/note.h"
#include "note/framecontrols.h"
#include "note/notelayout.h"

class IconButton;
class RichTextBox;

// A timer's state. One shared ticker drives the ticks of every note (no timers per note).
struct TimerState {
    int intervalMs;
    bool enabled;
};

class NoteWindow : public QWidget {
    Q_OBJECT
public:
    NoteWindow();

    // The height of the title strip in pixels: the part of a note that must stay on a screen.
    static constexpr int kTitleStripHeight = 27;

    // The number the note wears while the program runs; it tells notes apart. 0 while the note
    // is not numbered yet.
    int number() const { return m_number; }
    void setNumber(int number) { m_number = number; }

    // What the store keeps of this note; `visible` is whether the window is shown now.
    Note note() const;
    // Shows a note: place, size, colour, opacity, lock and reminder. Whether the window is
    // shown is left to the caller.
    void setNote(const Note& note);

    // Place and size in twips. Kept exactly as set while the window stands where that value
    // puts it, so that a stored 638 reads back as 638, not as 43 pixels times 15.
    void moveTwips(int left, int top, int width, int height);
    void setLeftTwips(int left) { moveTwips(left, m_note.top, m_note.width, m_note.height); }
    bool isLocked() const { return m_note.locked; }
    void setCreated(const QString& created) { m_note.created = created; }

    // Lays out the controls for the current size, after the size clamps.
    void layOut();
    // Applies the travel of grip `index` from start to current (screen pixels).
    void resizeByGrip(int index, QPoint start, QPoint current);
    // The grip at a point of the window (its own coordinates), or -1. The grips are areas along
    // the edges and corners, above the controls there; they are no widgets of their own.
    int gripAt(QPoint point) const;
    // A grip is held down.
    bool isResizing() const { return m_resizeGrip >= 0; }

    RichTextBox* editor() const { return m_editor; }

    // Once a second while reminderTimer is enabled: rings the alarm when the reminder is due,
    // with the sound when `withSound` (the program's reminder-sound switch).
    void checkReminder(const QDateTime& now, bool withSound);
    // Twice a second while tickTimer is enabled: the title clock (`clock`, the same text for
    // every note; left as it is when `clockSeen` is false, under other notes), clipboard
    // capture (`clipboardText`: the text on the clipboard, read only when some note captures
    // it), and the blink of a ringing alarm.
    void halfSecondTick(const QString& clock, const QString& clipboardText, bool clockSeen = true);
    // A click on the alarm icon: the sound stops and the blink ends; a repeating reminder stays
    // armed, a one-time one ends. `notesOnTop`: the program's notes-on-top switch.
    void closeAlarm(bool notesOnTop);

    // The title strip, left to right.
    IconButton* menuButton;
    IconButton* alarmIcon;     // shown while the note has a reminder switched on
    IconButton* unlockButton;  // shown while the note is locked
    ClockLabel* titleLabel;    // clock, drag handle
    IconButton* hideButton;
    IconButton* deleteButton;

    // Reminder checking, once a second while the reminder is on, and the minute of the hour
    // of the last alarm ("-99": not rung since the reminder was set).
    TimerState reminderTimer{1000, false};
    QString lastAlarmMinute = QStringLiteral("0");
    // Title clock, clipboard capture and alarm blink, twice a second.
    TimerState tickTimer{500, true};
    // While the alarm rings: the blink phase ("0" or "-1"), empty otherwise; and the repeat
    // interval in minutes that the last reminder check found.
    QString alarmBlinkPhase;
    QString alarmRepeatMinutes = QStringLiteral("0");

    bool capturesClipboard = false;
    QString lastCapturedText;

Q_SIGNALS:
    // Something the store keeps changed: text, formatting, place, size, colour, visibility,
    // lock, reminder, opacity, sound.
    void changed();
    // The text or its formatting changed (changed() comes too).
    void contentChanged();
    // The window became the active one: it is the current note now.
    void activated();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyGeometry();
    void applyColour();
    void showLockAndReminder();
    QPoint intendedPosition() const;
    // Drags by the title or the bare frame: press, move, release. True when the event was
    // the drag's.
    bool dragMouse(QEvent* event);
    bool gripMouse(QWidget* receiver, QEvent* event);
    void showGripCursor(QWidget* receiver, int grip);

    RichTextBox* m_editor;
    Note m_note;  // its `visible` is not kept: the window knows
    int m_number = 0;
    notelayout::Layout m_layout{};
    QColor m_colourShown;   // the colour the window shows
    int m_resizeGrip = -1;  // the grip held down
    QPoint m_resizeStart;   // cursor at the grip's press or last drag step
    bool m_applyingGeometry = false;
    WindowDrag m_drag;
    bool m_reasserted = false;  // our place was asked for again since the window was shown
};
