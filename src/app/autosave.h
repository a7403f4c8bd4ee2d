#pragma once
// Nothing lost: a save shortly after the user stops changing things, not only at exit. An idle
// program writes nothing and runs no timer.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class AutoSave : public QObject {
    Q_OBJECT
public:
    struct Delays {
        // A save this long after the last change...
        int quietMs = 2000;
        // ...or at the latest this long after the first unsaved change, for someone who
        // types on.
        int maxMs = 30000;
    };

    explicit AutoSave(std::function<void()> save, Delays delays, QObject* parent = nullptr);

    // Something that the store holds has changed.
    void poke();
    bool pending() const { return m_timer.isActive(); }
    // Saves now when a change is waiting.
    void flush();

private:
    std::function<void()> m_save;
    Delays m_delays;
    QTimer m_timer;
    QElapsedTimer m_sinceFirstChange;
};
