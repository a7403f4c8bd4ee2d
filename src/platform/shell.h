#pragma once
// Opening a file or a web page with the desktop's handler. Tests record instead.

#include <QList>
#include <QUrl>

namespace Shell {

// Fire and forget, like the desktop's "open": a missing handler shows nothing.
void open(const QUrl& url);

void setRecording(bool recording);  // test hook: record instead of opening
QList<QUrl> opened();

}  // namespace Shell
