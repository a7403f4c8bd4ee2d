#include "platform/shell.h"

#include <QDesktopServices>

namespace {

class DesktopShell : public Shell {
public:
    void open(const QUrl& url) override { QDesktopServices::openUrl(url); }
};

Shell* g_installed = nullptr;

}  // namespace

Shell& Shell::instance() {
    if (g_installed) return *g_installed;
    static DesktopShell real;
    return real;
}

void Shell::install(Shell* shell) {
    g_installed = shell;
}
