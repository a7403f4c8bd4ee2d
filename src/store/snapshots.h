#pragma once
// Yesterday's notes: autosave writes within seconds, so a note cleared by mistake would be gone
// for good within seconds too. Once a day, before the first save of that day, the store as it
// stood ("tie.dat" and "tie/") is copied into a folder named after the day.

#include <QDate>
#include <QString>

namespace store {

// Copies storeDir's settings file and content folder to snapshotsDir/<yyyy-MM-dd> of today,
// unless that day's copy exists or there is no settings file. The contents are copied, also
// of files that are links. The copy is made in a temporary folder and renamed, so a day's
// folder is whole or absent. Afterwards only the newest `keep`
// days remain. False, with *error, when the copy could not be made.
bool snapshotStore(const QString& storeDir, const QString& snapshotsDir, const QDate& today,
                   int keep, QString* error);

}  // namespace store
