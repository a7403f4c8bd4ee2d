// The note's alarm as its window shows it, its half-second tick and the closing of its alarm.
#include "desktop/sound.h"
#include "desktop/windowops.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"

namespace {

// The alarm icon at rest, and its two blink frames, smaller and lower.
const QRect kAlarmAtRest(24, -2, 24, 24);
const QRect kAlarmBlinking(27, 1, 17, 17);

}  // namespace

void NoteWindow::showAlarm() {
    if (m_entry.isRinging() && m_alarmBlink == AlarmBlink::Off) m_alarmBlink = AlarmBlink::Dim;
    show();
    windowops::setTopmost(this, true);
}

void NoteWindow::halfSecondTick(const QString& clock, bool clockSeen, bool blink) {
    // A clock nobody sees waits: the first tick it is seen sets it.
    if (clockSeen && isVisible()) m_titleLabel->showTime(clock);
    if (blink && note().reminderOn && m_alarmBlink != AlarmBlink::Off) {
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
    m_entry.closeAlarm();
}
