#pragma once
// Which windowing platform Jotpin runs on. A native Wayland window can neither place itself nor
// stay above other windows, so notes would lose their places: Jotpin runs through XWayland
// whenever it is there, also where QT_QPA_PLATFORM asks for Wayland, unless the user chose a
// platform on the command line.

#include <QString>
#include <functional>

namespace displayplatform {

// The platform to force, or empty to leave Qt's choice. `env` reads an environment variable;
// `platformArgument` is whether "-platform" was given on the command line.
QString forced(const std::function<QString(const char*)>& env, bool platformArgument);

// Forces it for this process (before the application object exists).
void choose(int argc, char* argv[]);

// Whether windows stand where they ask to and report where they are: not so on native Wayland.
bool windowsHavePlaces();

// What the user is told once at start where windows have no places; empty elsewhere.
QString limitsNotice();

}  // namespace displayplatform
