// The note's reminder check, its half-second tick and the closing of its alarm.
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "note/reminder.h"
#include "platform/sound.h"
#include "platform/windowops.h"
#include "richtext/richtextbox.h"
#include "store/values.h"

namespace {

// The alarm icon at rest, and its two blink frames, smaller and lower.
const QRect kAlarmAtRest(24, -2, 24, 24);
const QRect kAlarmBlinking(27, 1, 17, 17);

}  // namespace

void NoteWindow::checkReminder(const QDateTime& now, bool withSound) {
    if (!m_note.reminderOn) return;
    const std::optional<reminder::Parts> parts = reminder::split(m_note.reminder);
    if (!parts) return;
    alarmRepeatMinutes = parts->repeat;
    if (!reminder::due(*parts, now, lastAlarmMinute)) return;

    if (withSound) {
        if (!m_note.soundPath.isEmpty()) {
            // In place of any other note's alarm: the notes share one sound.
            Sound::instance().play(m_note.soundPath);
            // A one-time reminder plays its sound once and keeps no sound file afterwards.
            if (store::toInt16(parts->repeat) == 0) {
                m_note.soundPath.clear();
                Q_EMIT changed();
            }
        }
        if (alarmBlinkPhase.isEmpty()) alarmBlinkPhase = QStringLiteral("0");
    }
    show();
    windowops::setTopmost(this, true);
    lastAlarmMinute = QString::number(now.time().minute());
}

void NoteWindow::halfSecondTick(const QString& clock, const QString& clipboardText,
                                bool clockSeen) {
    // A clock nobody sees waits: the first tick it is seen sets it.
    if (clockSeen && isVisible()) titleLabel->showTime(clock);

    if (capturesClipboard) {
        const QString& text = clipboardText;
        // Nothing new: the tick ends here, the blink too.
        if (text == lastCapturedText) return;
        lastCapturedText = text;
        // Appended as plain text at the end; what the note holds keeps its format and pictures.
        m_editor->appendText(text);
    }

    if (m_note.reminderOn && !alarmBlinkPhase.isEmpty()) {
        const std::optional<qint16> phase = store::toInt16(alarmBlinkPhase);
        alarmBlinkPhase = QString::number(~phase.value_or(0));
        alarmIcon->setGeometry(kAlarmBlinking);
        alarmIcon->setIcon(alarmBlinkPhase == u'0' ? QStringLiteral("alarm-dim.svg")
                                                   : QStringLiteral("alarm-ring.svg"));
    }
}

void NoteWindow::closeAlarm(bool notesOnTop) {
    Sound::instance().stop();
    alarmBlinkPhase.clear();
    if (!notesOnTop) windowops::setTopmost(this, false);
    alarmIcon->setGeometry(kAlarmAtRest);
    alarmIcon->setIcon(QStringLiteral("alarm.svg"));
    // The title clock and clipboard capture go on in both cases.
    tickTimer.enabled = true;
    if (store::toInt16(alarmRepeatMinutes).value_or(0) != 0) {
        alarmRepeatMinutes = QStringLiteral("0");
        reminderTimer.enabled = true;
        return;
    }
    // A one-time reminder ends.
    reminderTimer.enabled = false;
    m_note.reminderOn = false;
    showLockAndReminder();
    Q_EMIT changed();
}
