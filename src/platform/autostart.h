#pragma once
// Starting with the desktop session: an XDG autostart entry named after the program file.

#include <QString>

namespace autostart {

// $XDG_CONFIG_HOME/autostart/<exeName>.desktop ($XDG_CONFIG_HOME defaults to ~/.config).
QString entryPath(const QString& exeName);

// A desktop entry that starts the program file appPath/exeName.
QByteArray entryText(const QString& appPath, const QString& exeName);

// The program file as one argument of an Exec line: quoted where it must be, with the
// escapes that an Exec key of a desktop entry requires.
QString execArgument(const QString& program);

// Writes the entry atomically; false with *error when it cannot.
bool write(const QString& appPath, const QString& exeName, QString* error = nullptr);
// Removes the entry; a missing one is fine.
bool remove(const QString& exeName, QString* error = nullptr);

}  // namespace autostart
