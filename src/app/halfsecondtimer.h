#pragma once
// One timer for the reminder checks and half-second ticks of every note, hidden ones included:
// the program wakes twice a second whatever the number of notes. It fires on the half seconds
// of the wall clock, so a reminder rings within a second of its minute, also after a suspend
// or a change of the clock.

#include <QDateTime>
#include <QObject>
#include <QTimer>

class HalfSecondTimer : public QObject {
    Q_OBJECT
public:
    explicit HalfSecondTimer(QObject* parent = nullptr);
    void start();

Q_SIGNALS:
    // `now` is the program's clock; `fullSecond` marks the tick that opens a second.
    void ticked(const QDateTime& now, bool fullSecond);

private:
    void arm(qint64 nowMs);
    void fire();

    QTimer m_timer;
    qint64 m_nextMs = 0;  // the half second the timer is set for, wall clock
};
