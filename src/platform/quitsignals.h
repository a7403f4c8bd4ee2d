#pragma once
// SIGTERM, SIGINT and SIGHUP as a Qt signal, delivered from the event loop: the handler only
// writes a byte to a socket, everything else runs outside it.

#include <QObject>

class QSocketNotifier;

class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    // A quit signal has come, whether or not the event loop has delivered it yet: work that
    // keeps the event loop waiting (the start-up) looks here to stop early.
    static bool pending();
    // Whether everything is saved. A quit ends the program within a second in any case: the
    // event loop saves and ends it sooner, and when the loop has not taken the quit up within
    // 0.4 s, the program ends then if nothing is unsaved, else at 0.8 s: leaving a large
    // process takes the rest of the second.
    static void setNothingUnsaved(bool nothingUnsaved);

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};
