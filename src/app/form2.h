#pragma once
// The hidden main form: loaded first, never shown. It owns the program-wide switches (check
// marks of the tray items); loading it starts the program, unloading it saves and ends it.

#include <QAction>

#include "platform/forms.h"

class Form2 : public Form {
    Q_OBJECT
public:
    Form2();
    ~Form2() override;
    static Form2* instance();

    // Runs the start-up: numbering from 0, then every stored note (or a first note).
    void Form_Load();

    QAction* tiezizaiqian;   // notes on top
    QAction* tixing;         // reminder sound
    QAction* zidongyunxing;  // start with the desktop session

protected:
    // Saves every note, then unloads every other window.
    void Form_Unload() override;
};
