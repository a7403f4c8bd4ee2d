#include "desktop/displayplatform.h"

#include <QGuiApplication>
#include <cstring>

namespace displayplatform {

QString forced(const std::function<QString(const char*)>& env, bool platformArgument) {
    if (platformArgument) return {};
    const QString chosen = env("QT_QPA_PLATFORM");
    // A distribution or a profile may ask every Qt program for Wayland; the notes need X.
    if (!chosen.isEmpty() && !chosen.startsWith(QStringLiteral("wayland"))) return {};
    const bool wayland = !chosen.isEmpty() ||
                         env("XDG_SESSION_TYPE") == QStringLiteral("wayland") ||
                         !env("WAYLAND_DISPLAY").isEmpty();
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

bool windowsHavePlaces() {
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

QString limitsNotice() {
    if (windowsHavePlaces()) return {};
    return QStringLiteral(
        "没有 XWayland，Jotpin 以 Wayland 窗口运行：帖子不能停在保存的位置，"
        "也不能留在其他窗口前面（帖子在前）。位置和大小照旧保存。装上 XWayland 就都可以了。");
}

}  // namespace displayplatform
