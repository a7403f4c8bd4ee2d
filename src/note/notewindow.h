#pragma once
// The note window: a borderless window with its own title strip and a rich-text editor. It
// shows a Note and reports every change of what the store keeps.

#include <QColor>
#include <QDateTime>
#include <QLabel>
#include <QPoint>
#include <QSize>
#include <QString>
#include <array>
#include <optional>

#include "model/note.h"
#include "model/notechange.h"
#include "model/notestate.h"
#include "note/framecontrols.h"
#include "note/notelayout.h"
#include "notes/noteentry.h"

class IconButton;
class TitleStrip;
class RichTextBox;

class NoteWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the note and edits it; the note outlives the window.
    explicit NoteWindow(NoteEntry& entry);

    // The height of the title strip in pixels: the part of a note that must stay on a screen.
    static constexpr int kTitleStripHeight = 27;

    // What the store keeps of this note; `visible` is whether the window is shown now.
    const Note& note() const { return m_state.values(); }
    // What the store asks (NoteEntry::apply), the caret and the scrolling kept, and the window
    // shown or hidden as the values say (the note being typed in stays). False, with *problem,
    // for a text that could not be read.
    bool apply(const NoteChange& change, QString* problem = nullptr);
    // The window's part of that, for a change the note has taken already.
    void showChange(const NoteChange& change);
    // This note's identity in this run.
    NoteId id() const { return m_entry.id(); }

    // Place and size in twips. Kept exactly as set while the window stands where that value
    // puts it, so that a stored 638 reads back as 638, not as 43 pixels times 15.
    void moveTwips(int left, int top, int width, int height);
    void setLeftTwips(int left) { moveTwips(left, note().top, note().width, note().height); }
    bool isLocked() const { return note().locked; }

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
    NoteEntry& entry() const { return m_entry; }

    // The note's reminder rang: the window comes up on top, and blinks its alarm while the
    // alarm rings.
    void showAlarm();
    // Twice a second while it ticks: the title clock (`clock`, the same text for every note;
    // left as it is when `clockSeen` is false, under other notes), and when `blink`, the blink
    // of a ringing alarm.
    void halfSecondTick(const QString& clock, bool clockSeen, bool blink);
    // A click on the alarm icon: the sound stops and the blink ends; a repeating reminder stays
    // armed, a one-time one ends. `notesOnTop`: the program's notes-on-top switch.
    void closeAlarm(bool notesOnTop);
    // A ringing alarm blinks between two pictures of its icon; Off when none rings.
    enum class AlarmBlink { Off, Dim, Lit };
    AlarmBlink alarmBlink() const { return m_alarmBlink; }

    // The title strip, and its buttons and clock, left to right.
    TitleStrip* titleStrip() const { return m_titleStrip; }
    IconButton* menuButton() const { return m_menuButton; }
    IconButton* alarmIcon() const { return m_alarmIcon; }        // shown while a reminder is on
    IconButton* unlockButton() const { return m_unlockButton; }  // shown while locked
    ClockLabel* titleLabel() const { return m_titleLabel; }      // clock, drag handle
    IconButton* hideButton() const { return m_hideButton; }
    IconButton* deleteButton() const { return m_deleteButton; }

    // Without a mouse: Ctrl+Tab and Ctrl+Shift+Tab move between the text and the title strip
    // (Tab in the text types a tab); in the strip Tab and Shift+Tab go round its buttons, Space
    // or Enter presses, Esc goes back to the text.
    // The first (or last) button of the strip that can act takes the focus.
    void focusTitleStrip(bool last = false);
    void focusText();
    // Where a menu opened by a key belongs: below the caret in the text, or below the focused
    // button of the title strip.
    QPoint keyboardMenuPlace() const;
    // What a screen reader calls the note: its first line, or its creation time while that is
    // empty or the note is locked.
    QString readerName() const;

Q_SIGNALS:
    // The window became the active one: it is the current note now.
    void activated();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // A place or size from outside (the window manager) that is the user's: not one the
    // window passes through or is given while it is mapped.
    void takePlaceFromOutside();
    void takeSizeFromOutside(bool fromWindowManager);
    // Ends the mapping once the window is exposed where the window manager put it; asks for
    // our place once more when that is elsewhere.
    void settleAfterMapping();
    // Hands a left-button drag of the frame (grip < 0: a move) to the window manager; false
    // where it does not take it.
    bool startSystemDrag(int grip);
    void applyGeometry();
    void applyColour();
    // Colour, opacity, lock, reminder, and a place and size the window did not take itself, as
    // the values say.
    void showValues();
    static QRect placeOf(const Note& note);  // left, top, width, height in twips
    void showLockAndReminder();
    QPoint intendedPosition() const;
    // Drags by the title or the bare frame: press, move, release. True when the event was
    // the drag's.
    bool dragMouse(QEvent* event);
    bool gripMouse(QWidget* receiver, QEvent* event);
    void showGripCursor(QWidget* receiver, int grip);
    void setUpKeyboardAndReaders();
    void tellReadersOfName();
    void tellReadersOfLock();

    TitleStrip* m_titleStrip;
    IconButton* m_menuButton;
    IconButton* m_alarmIcon;
    IconButton* m_unlockButton;
    ClockLabel* m_titleLabel;
    IconButton* m_hideButton;
    IconButton* m_deleteButton;
    RichTextBox* m_editor;
    NoteEntry& m_entry;
    NoteState& m_state;  // the note's values: changed() tells of every real change
    notelayout::Layout m_layout{};
    QColor m_colourShown;   // the colour the window shows
    int m_resizeGrip = -1;  // the grip held down
    QPoint m_resizeStart;   // cursor at the grip's press or last drag step
    bool m_applyingGeometry = false;
    QRect m_placeShown;  // the values' place and size the window was put at, or took itself
    WindowDrag m_drag;
    bool m_reasserted = false;       // our place was asked for again since the window was shown
    bool m_mapping = false;          // shown, not exposed yet
    bool m_touched = false;          // pressed since it was shown
    bool m_placedByManager = false;  // the window manager gave its own first place
    bool m_sizedByManager = false;   // the window manager gave its own first size
    bool m_systemDrag = false;       // the window manager moves or resizes it for the user
    QSize m_imposedSize;             // the size the window manager gave it while it was mapped

    AlarmBlink m_alarmBlink = AlarmBlink::Off;
    bool m_lockToldReaders = false;  // the lock state screen readers were last told of
};
