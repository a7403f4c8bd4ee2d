#pragma once
// Opening a file or a web page with the desktop's handler. Tests install a recorder.

#include <QUrl>

class Shell {
public:
    virtual ~Shell() = default;
    // Fire and forget, like the desktop's "open": a missing handler shows nothing.
    virtual void open(const QUrl& url) = 0;

    static Shell& instance();
    static void install(Shell* shell);  // not owned; nullptr restores the real one
};
