#pragma once
// The hidden main form: loaded first, never shown. It owns the tray icon, the tray menu and
// the program-wide switches (check marks of tray items); loading it starts the program,
// unloading it saves everything and ends the program.

#include <QAction>
#include <QMenu>

#include "platform/forms.h"

class AutoSave;
class Form1;

class Form2 : public Form {
    Q_OBJECT
public:
    // The address of the page about newer versions.
    static inline const QString kNewVersionUrl = QStringLiteral("https://jotpin.app/download");

    Form2();
    ~Form2() override;
    static Form2* instance();

    // Start-up: numbering from 0, hidden, tray icon with its tip, then every stored note.
    void Form_Load();

    // The exit command: closes the dialogs, asks, and on OK ends the program.
    void exit_Click();
    // Ends the program without asking (end of the desktop session, SIGTERM).
    void shutDown();

    // Tray icon messages.
    enum class TrayMessage { LeftButtonUp, RightButtonUp };
    void TrayWindowProc(TrayMessage message);
    // A second start of the program asks this one to come forward.
    void activateFromOutside();
    // A note was made after the start: its changes are saved from now on.
    void noteCreated(Form1* note);

    QMenu* mnuTray;
    QAction* fanhui;
    QAction* newtie;
    QAction* xianshisuoyou;
    QAction* tieziliebiao;
    QAction* tiezizaiqian;  // notes on top
    QAction* yincangtiezi;
    QAction* tixing;         // reminder sound
    QAction* zidongyunxing;  // start with the desktop session
    QAction* help;
    QAction* jiancha;
    QAction* exit;

Q_SIGNALS:
    // Form2 has been unloaded: the program is over.
    void ended();

protected:
    // Saves every note, writes or removes the autostart entry, removes the tray icon and
    // unloads every other window, the last first.
    void Form_Unload() override;

private:
    void xianshisuoyou_Click();
    void yincangtiezi_Click();
    void popUpTrayMenu();

    AutoSave* m_autoSave = nullptr;
};
