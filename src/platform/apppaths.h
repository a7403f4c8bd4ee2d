#pragma once
// The running program's folder and name, and where its store lives.

#include <QString>

namespace paths {

// Folder of the running executable, without a trailing separator.
QString programDir();
// Base name of the running executable, without extension.
QString programName();

// Folder of the store ("tie.dat" and "tie/"): the program folder when it can be written (the
// portable case), otherwise, and always for an installed program, the per-user data folder.
QString storeDir();

// The program was installed: it runs from <prefix>/bin beside <prefix>/share/<program name>.
bool isInstalled();
QString installedDataDir();

// Where the daily copies of the store go: "snapshots" in the per-user data folder.
QString snapshotsDir();

// A shipped file ("kvz.dat", "kvz.mid", the help page): beside the program when it is
// there, otherwise the installed data folders.
QString shippedFile(const QString& name);

// Tests point the program at a folder of their own. Empty strings restore the real values.
void overrideProgram(const QString& path, const QString& exeName = {});
void overrideStoreDir(const QString& dir);

}  // namespace paths
