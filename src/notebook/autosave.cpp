#include "notebook/autosave.h"

#include <algorithm>

AutoSave::AutoSave(std::function<bool()> save, Delays delays, QObject* parent)
    : QObject(parent), m_save(std::move(save)), m_delays(delays) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AutoSave::flush);
}

void AutoSave::poke() {
    if (!m_timer.isActive()) m_sinceFirstChange.start();
    const qint64 left = m_delays.maxMs - m_sinceFirstChange.elapsed();
    m_timer.start(int(std::clamp<qint64>(left, 0, m_delays.quietMs)));
}

void AutoSave::flush() {
    if (!m_timer.isActive() && !m_sinceFirstChange.isValid()) return;
    m_timer.stop();
    m_sinceFirstChange.invalidate();
    if (!m_save()) retry();
}

void AutoSave::retry() {
    m_sinceFirstChange.start();
    m_timer.start(m_delays.retryMs);
}
