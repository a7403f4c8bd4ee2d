#pragma once
// The running program's folder and name, and where its store lives.

#include <QString>

namespace paths {

// Folder of the running executable, without a trailing separator.
QString programDir();
// Base name of the running executable, without extension.
QString programName();

// Folder of the store ("tie.dat" and "tie/"): the override when there is one (--store,
// JOTPIN_STORE); else the folder remembered for this machine (rememberStoreDir); else the
// program folder when it can be written (the portable case), otherwise, and always for an
// installed program, the per-user data folder. Decided once per run.
QString storeDir();
// The store of this run was chosen by --store or JOTPIN_STORE, not by what is remembered.
bool storeDirOverridden();

// The store folder chosen in the settings dialog, remembered for this machine (the store may
// be synced, the choice is not): "store" in the user's config folder, one absolute path.
QString rememberedStoreFile();
// The remembered folder, or empty when none is (or the file holds no absolute path).
QString rememberedStoreDir();
// Remembers the folder for the next starts; storeDir() of this run stays as it is. Written
// atomically; false, with *error, when it could not be.
bool rememberStoreDir(const QString& dir, QString* error);

// A file can be created in the folder (a probe, as access() can be wrong on network and
// read-only mounts).
bool canWriteIn(const QString& dir);

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
