#pragma once
// A store moved to another folder: its files copied there, each read back, and only then the
// originals removed. Only the store's own files move: "tie.dat" and "tie/tie<n>.tie"; whatever
// else lies in either folder stays where it is.

#include <QString>
#include <QStringList>

namespace storemove {

// The store's files in a folder, relative to it: every "tie/tie<n>.tie", then "tie.dat" when
// it is there (last, so that a copy in that order is a store only once it is whole).
QStringList storeFiles(const QString& dir);

// Copies the store files of `from` into `to`, each written to disk and read back byte for
// byte. `to` must hold none of them yet. On success *copied lists them (relative). On any
// failure the copies made are removed again, nothing in `from` is touched, *error says which
// file and why (Chinese), and false is returned.
bool copyStore(const QString& from, const QString& to, QStringList* copied, QString* error);

// Removes each of `files` (relative) from `from` whose copy in `to` holds the same bytes; a
// file that differs from its copy, or cannot be removed, stays. Returns those that stayed.
QStringList removeOriginals(const QString& from, const QString& to, const QStringList& files);

}  // namespace storemove
