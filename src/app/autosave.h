#pragma once
// Nothing lost: a save shortly after the user stops changing things, not only at exit. An idle
// program writes nothing and runs no timer.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class Form1;

class AutoSave : public QObject {
    Q_OBJECT
public:
    // A save this long after the last change...
    static constexpr int kQuietMs = 2000;
    // ...or at the latest this long after the first unsaved change, for someone who types on.
    static constexpr int kMaxDelayMs = 30000;

    explicit AutoSave(std::function<void()> save, QObject* parent = nullptr);

    // Something that the store holds has changed.
    void poke();
    // Follows the changes of a note: text, formatting, place, size, colour, lock, reminder,
    // visibility.
    void watch(Form1* note);
    bool pending() const { return m_timer.isActive(); }
    // Saves now when a change is waiting.
    void flush();

private:
    std::function<void()> m_save;
    QTimer m_timer;
    QElapsedTimer m_sinceFirstChange;
};
