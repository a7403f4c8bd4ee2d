#pragma once
// Every note's ticks from the one shared timer: the reminder checks on the full second, then
// the title clocks (only those not covered by other notes), clipboard capture and the alarm
// blink twice a second.

#include <QDateTime>
#include <QObject>
#include <QString>

#include "app/halfsecondtimer.h"

class OpenWindows;
class ProgramSwitches;

class NoteTickDispatcher : public QObject {
    Q_OBJECT
public:
    NoteTickDispatcher(const OpenWindows& windows, const ProgramSwitches& switches,
                       QObject* parent = nullptr);
    // The timer runs from here on.
    void start();
    // One tick: every note's half-second tick, and on a full second the reminder checks first.
    void tick(const QDateTime& now, bool fullSecond);

private:
    const OpenWindows& m_windows;
    const ProgramSwitches& m_switches;
    HalfSecondTimer m_ticker;
    QString m_clipboardText;       // the clipboard's text as last read
    bool m_clipboardStale = true;  // it changed since
};
