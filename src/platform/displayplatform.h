#pragma once
// Which windowing platform Jotpin runs on. A native Wayland window can neither place itself nor
// stay above other windows, so notes would lose their places: on a Wayland session Jotpin runs
// through XWayland when it is there, unless the user chose a platform.

#include <QString>
#include <functional>

namespace displayplatform {

// The platform to force, or empty to leave Qt's choice. `env` reads an environment variable;
// `platformArgument` is whether "-platform" was given on the command line.
QString forced(const std::function<QString(const char*)>& env, bool platformArgument);

// Forces it for this process (before the application object exists).
void choose(int argc, char* argv[]);

}  // namespace displayplatform
