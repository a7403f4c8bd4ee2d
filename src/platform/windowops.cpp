#include "platform/windowops.h"

#include <QWidget>
#include <QWindow>

namespace windowops {

void setTopmost(QWidget* window, bool topmost) {
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (QWindow* handle = window->windowHandle()) {
        // QWidget::setWindowFlags would hide the window; tell the native window directly and
        // keep the widget's own record in step.
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

bool isTopmost(const QWidget* window) {
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

}  // namespace windowops
