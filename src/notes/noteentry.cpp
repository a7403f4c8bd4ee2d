#include "notes/noteentry.h"

#include <QFont>
#include <QTextCursor>
#include <utility>

NoteEntry::NoteEntry(NoteId id, QObject* parent)
    : QObject(parent),
      m_id(id),
      m_state([] {
          Note hidden;  // as the note is, until it is shown
          hidden.visible = false;
          return hidden;
      }()),
      m_document(new NoteDocument(this)) {
    // What a note's text stands in where it names no font of its own.
    m_document->setDefaultFont(QFont(QStringLiteral("宋体"), 9));
    connect(&m_state, &NoteState::changed, this, &NoteEntry::changed);
    connect(m_document, &QTextDocument::contentsChanged, this, [this] {
        if (m_textArriving) {
            m_textArrived = true;  // told once it is all there
            return;
        }
        Q_EMIT contentChanged();
        Q_EMIT changed();
    });
}

bool NoteEntry::apply(const NoteChange& change, QString* problem) {
    if (change.fresh) forgetLastAlarm();
    if (change.values) {
        setValues(*change.values);
        if (change.values->reminderOn) setReminderChecking(true);
    }
    bool read = true;
    // A text is built in steps (cleared, then each part inserted): it is one change.
    m_textArriving = true;
    if (change.text) {
        switch (change.text->kind) {
            case NoteText::Kind::Rtf:
                read = m_document->loadRtf(change.text->rtf, problem);
                break;
            case NoteText::Kind::Plain:
                m_document->replaceText(change.text->plain);
                break;
            case NoteText::Kind::None:
                m_document->replaceText(QString());
                break;
        }
    }
    if (!change.heading.isEmpty()) {
        QTextCursor at(m_document);
        at.movePosition(QTextCursor::Start);
        at.insertText(change.heading);
        at.insertBlock();
    }
    m_textArriving = false;
    if (std::exchange(m_textArrived, false)) {
        Q_EMIT contentChanged();
        Q_EMIT changed();
    }
    return read;
}

void NoteEntry::setValues(const Note& values) {
    Note incoming = values;
    incoming.visible = this->values().visible;  // a window's to say
    m_state.setValues(incoming);
}

bool NoteEntry::checkReminder(const QDateTime& now, bool withSound, QString* sound) {
    if (!values().reminderOn) return false;
    const Reminder& reminder = values().reminder;
    // One that is no number closes as a one-time reminder.
    m_alarmRepeatMinutes = reminder.repeatMinutes().value_or(0);
    if (!reminder.isDue(now, m_lastAlarmMinute)) return false;
    if (withSound) {
        if (sound) *sound = values().soundPath;
        if (m_alarmRepeatMinutes == 0) m_state.setSoundPath(QString());
        m_ringing = true;
    }
    m_lastAlarmMinute = now.time().minute();
    return true;
}

void NoteEntry::closeAlarm() {
    m_ringing = false;
    if (m_alarmRepeatMinutes != 0) {
        m_alarmRepeatMinutes = 0;
        m_checksReminder = true;
        return;
    }
    // A one-time reminder ends.
    m_checksReminder = false;
    m_state.setReminderOn(false);
}

bool NoteEntry::takesClipboardText(const QString& text) {
    if (!m_capturesClipboard || text == m_lastCapturedText) return false;
    m_lastCapturedText = text;
    return true;
}
