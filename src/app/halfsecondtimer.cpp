#include "app/halfsecondtimer.h"

#include "platform/clock.h"

namespace {
constexpr qint64 kHalfSecond = 500;
}

HalfSecondTimer::HalfSecondTimer(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &HalfSecondTimer::fire);
}

void HalfSecondTimer::start() {
    arm(QDateTime::currentMSecsSinceEpoch());
}

void HalfSecondTimer::arm(qint64 nowMs) {
    m_nextMs = (nowMs / kHalfSecond + 1) * kHalfSecond;
    m_timer.start(int(m_nextMs - nowMs));
}

void HalfSecondTimer::fire() {
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    // Woken a little early: wait for the half second itself. A clock set back by more than that
    // is a new time to count from.
    if (nowMs < m_nextMs && m_nextMs - nowMs <= kHalfSecond) {
        m_timer.start(int(m_nextMs - nowMs));
        return;
    }
    const qint64 at = nowMs < m_nextMs ? nowMs : nowMs - nowMs % kHalfSecond;
    arm(nowMs);
    Q_EMIT ticked(Clock::instance().now(), at % 1000 < kHalfSecond);
}
