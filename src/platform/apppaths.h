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

// What Jotpin keeps for itself beside a store, never in it, so that a store in a synced folder
// does not carry it: "~/.local/state/jotpin" (XDG_STATE_HOME).
QString keptDir();
// Where the daily copies of the store go: "snapshots" in the kept folder.
QString snapshotsDir();
// Where conflict copies left in the store by sync tools go once read: "conflicts" there.
QString conflictsDir();

// A shipped file ("kvz.dat", "kvz.mid", the help page): beside the program when it is
// there, otherwise the installed data folders.
QString shippedFile(const QString& name);

// Tests point the program at a folder of their own. Empty strings restore the real values.
void overrideProgram(const QString& path, const QString& exeName = {});
// The store folder the user chose (--store, JOTPIN_STORE), or a test's. It is never created:
// a missing one may be a synced folder not mounted yet.
void overrideStoreDir(const QString& dir);

}  // namespace paths
