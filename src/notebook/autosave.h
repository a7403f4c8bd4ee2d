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
        int maxMs = 5000;
        // A save that failed (a full disk) is tried again this long after.
        int retryMs = 10000;
    };

    // save returns false when it failed; the changes then stay waiting for another try. A save
    // that ends later says so with retry().
    explicit AutoSave(std::function<bool()> save, Delays delays, QObject* parent = nullptr);

    // Something that the store holds has changed.
    void poke();
    bool pending() const { return m_timer.isActive(); }
    // Saves now when a change is waiting.
    void flush();
    // A save failed: the next try comes after the retry delay.
    void retry();

private:
    std::function<bool()> m_save;
    Delays m_delays;
    QTimer m_timer;
    QElapsedTimer m_sinceFirstChange;
};
