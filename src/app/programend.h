#pragma once
// The end of the program, once: every note saved, the autostart entry written or removed, the
// tray icon gone, then the windows.

#include <QObject>

class OpenWindows;
class ProgramSwitches;
class ProgramTray;
class StoreSync;

class ProgramEnd : public QObject {
    Q_OBJECT
public:
    ProgramEnd(StoreSync& store, const ProgramSwitches& switches, ProgramTray& tray,
               OpenWindows& windows, QObject* parent = nullptr)
        : QObject(parent), m_store(store), m_switches(switches), m_tray(tray), m_windows(windows) {}

    // Without a question (the end of the desktop session, SIGTERM). A save that fails is told
    // in a box when the user chose to exit (`askedByUser`), else on the error output.
    void end(bool askedByUser = false);
    // After the store was saved and moved to another folder: nothing is saved again, and the
    // program starts anew on that folder.
    void endToRestart();
    bool hasEnded() const { return m_ended; }
    bool restarts() const { return m_restart; }

Q_SIGNALS:
    // Everything is saved; the windows close right after.
    void ended();

private:
    StoreSync& m_store;
    const ProgramSwitches& m_switches;
    ProgramTray& m_tray;
    OpenWindows& m_windows;
    bool m_ended = false;
    bool m_restart = false;
};
