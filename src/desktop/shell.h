#pragma once
// Opening a file or a web page with the desktop's handler. Tests install a recorder.

#include <QUrl>
#include <functional>

#include "platform/service.h"

class Shell : public Service<Shell> {
public:
    virtual ~Shell() = default;
    // Like the desktop's "open", without waiting for the page to close. `failed` runs, at once
    // or a few seconds later, when nothing on the desktop could open it (no handler, no
    // browser).
    virtual void open(const QUrl& url, std::function<void()> failed = {}) = 0;

private:
    friend Service;
    static Shell& real();
};
