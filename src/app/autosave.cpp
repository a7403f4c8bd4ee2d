#include "app/autosave.h"

#include <algorithm>

#include "note/form1.h"

AutoSave::AutoSave(std::function<void()> save, QObject* parent)
    : QObject(parent), m_save(std::move(save)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AutoSave::flush);
}

void AutoSave::poke() {
    if (!m_timer.isActive()) m_sinceFirstChange.start();
    const qint64 left = kMaxDelayMs - m_sinceFirstChange.elapsed();
    m_timer.start(int(std::clamp<qint64>(left, 0, kQuietMs)));
}

void AutoSave::watch(Form1* note) {
    connect(note, &Form1::Changed, this, &AutoSave::poke);
}

void AutoSave::flush() {
    if (!m_timer.isActive() && !m_sinceFirstChange.isValid()) return;
    m_timer.stop();
    m_sinceFirstChange.invalidate();
    m_save();
}
