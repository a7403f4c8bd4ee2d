#include "platform/shell.h"

#include <QDesktopServices>

namespace Shell {
namespace {
bool g_recording = false;
QList<QUrl> g_opened;
}  // namespace

void open(const QUrl& url) {
    if (g_recording) {
        g_opened.append(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

void setRecording(bool recording) {
    g_recording = recording;
    g_opened.clear();
}

QList<QUrl> opened() {
    return g_opened;
}

}  // namespace Shell
