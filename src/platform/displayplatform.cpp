#include "platform/displayplatform.h"

#include <cstring>

namespace displayplatform {

QString forced(const std::function<QString(const char*)>& env, bool platformArgument) {
    if (platformArgument || !env("QT_QPA_PLATFORM").isEmpty()) return {};
    const bool wayland =
        env("XDG_SESSION_TYPE") == QStringLiteral("wayland") || !env("WAYLAND_DISPLAY").isEmpty();
    // XWayland sets DISPLAY.
    if (wayland && !env("DISPLAY").isEmpty()) return QStringLiteral("xcb");
    return {};
}

void choose(int argc, char* argv[]) {
    bool argument = false;
    for (int i = 1; i < argc; ++i)
        argument = argument || std::strcmp(argv[i], "-platform") == 0;
    const QString platform =
        forced([](const char* name) { return qEnvironmentVariable(name); }, argument);
    if (!platform.isEmpty()) qputenv("QT_QPA_PLATFORM", platform.toUtf8());
}

}  // namespace displayplatform
