// The note's reminder check, its half-second tick and the closing of its alarm.
#include "desktop/sound.h"
#include "desktop/windowops.h"
#include "model/reminder.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "richtext/richtextbox.h"

namespace {

// The alarm icon at rest, and its two blink frames, smaller and lower.
const QRect kAlarmAtRest(24, -2, 24, 24);
const QRect kAlarmBlinking(27, 1, 17, 17);

}  // namespace

void NoteWindow::checkReminder(const QDateTime& now, bool withSound) {
    if (!note().reminderOn) return;
    const Reminder& reminder = note().reminder;
    // One that is no number closes as a one-time reminder.
    m_alarmRepeatMinutes = reminder.repeatMinutes().value_or(0);
    if (!reminder.isDue(now, m_lastAlarmMinute)) return;

    if (withSound) {
        if (!note().soundPath.isEmpty()) {
            // In place of any other note's alarm: the notes share one sound.
            Sound::instance().play(note().soundPath);
            // A one-time reminder plays its sound once and keeps no sound file afterwards.
            if (m_alarmRepeatMinutes == 0) {
                m_state.setSoundPath(QString());
            }
        }
        if (m_alarmBlink == AlarmBlink::Off) m_alarmBlink = AlarmBlink::Dim;
    }
    show();
    windowops::setTopmost(this, true);
    m_lastAlarmMinute = now.time().minute();
}

void NoteWindow::halfSecondTick(const QString& clock, const QString& clipboardText,
                                bool clockSeen) {
    // A clock nobody sees waits: the first tick it is seen sets it.
    if (clockSeen && isVisible()) m_titleLabel->showTime(clock);

    if (m_capturesClipboard) {
        const QString& text = clipboardText;
        // Nothing new: the tick ends here, the blink too.
        if (text == m_lastCapturedText) return;
        m_lastCapturedText = text;
        // Appended as plain text at the end; what the note holds keeps its format and pictures.
        m_editor->appendText(text);
    }

    if (note().reminderOn && m_alarmBlink != AlarmBlink::Off) {
        m_alarmBlink = m_alarmBlink == AlarmBlink::Dim ? AlarmBlink::Lit : AlarmBlink::Dim;
        m_alarmIcon->setGeometry(kAlarmBlinking);
        m_alarmIcon->setIcon(m_alarmBlink == AlarmBlink::Dim ? QStringLiteral("alarm-dim.svg")
                                                             : QStringLiteral("alarm-ring.svg"));
    }
}

void NoteWindow::closeAlarm(bool notesOnTop) {
    Sound::instance().stop();
    m_alarmBlink = AlarmBlink::Off;
    if (!notesOnTop) windowops::setTopmost(this, false);
    m_alarmIcon->setGeometry(kAlarmAtRest);
    m_alarmIcon->setIcon(QStringLiteral("alarm.svg"));
    // The title clock and clipboard capture go on in both cases.
    if (m_alarmRepeatMinutes != 0) {
        m_alarmRepeatMinutes = 0;
        m_checksReminder = true;
        return;
    }
    // A one-time reminder ends.
    m_checksReminder = false;
    m_state.setReminderOn(false);
    showLockAndReminder();
}
