#pragma once
// Every note's ticks from the one shared timer: the reminder checks on the full second (a note
// whose alarm rings is shown), then clipboard capture, the title clocks (only those not covered
// by other notes) and the alarm blink twice a second. A note without a window checks its
// reminder and captures the clipboard too.

#include <QDateTime>
#include <QObject>
#include <QString>

#include "app/halfsecondtimer.h"

class NoteFactory;
class NoteList;
class ProgramSwitches;

class NoteTickDispatcher : public QObject {
    Q_OBJECT
public:
    NoteTickDispatcher(const NoteList& notes, NoteFactory& windows, const ProgramSwitches& switches,
                       QObject* parent = nullptr);
    // The timer runs from here on.
    void start();
    // One tick: every note's half-second tick, and on a full second the reminder checks first.
    void tick(const QDateTime& now, bool fullSecond);

private:
    // Every note's reminder, windows or not: a note whose alarm rings is shown.
    void checkReminders(const QDateTime& now);

    const NoteList& m_notes;
    NoteFactory& m_windows;
    const ProgramSwitches& m_switches;
    HalfSecondTimer m_ticker;
    QString m_clipboardText;       // the clipboard's text as last read
    bool m_clipboardStale = true;  // it changed since
};
