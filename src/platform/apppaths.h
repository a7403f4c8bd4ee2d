#pragma once
// App.Path and App.EXEName of the running program, and where its store lives.

#include <QString>

namespace App {

// Folder of the running executable, without a trailing separator.
QString Path();
// Base name of the running executable, without extension.
QString EXEName();

// Folder of the store ("tie.dat" and "tie/"): App.Path when it can be written (the portable
// case), otherwise the per-user data folder.
QString StoreDir();

// Folder of a shipped file ("kvz.dat", "kvz.mid", the help page): App.Path when the file is
// there, otherwise the installed data folders.
QString ShippedFile(const QString& name);

// Tests point the program at a folder of their own. Empty strings restore the real values.
void overridePaths(const QString& path, const QString& exeName = {});
void overrideStoreDir(const QString& dir);

}  // namespace App
