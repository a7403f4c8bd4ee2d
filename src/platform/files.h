#pragma once
// Reading and writing whole files without ever losing the old one: reads take only regular
// files of a bounded size, writes replace a file atomically or not at all.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace files {

enum class ReadResult { Ok, Missing, Failed };

// Reads a regular file of at most maxBytes into *bytes. A file that does not exist is Missing.
// Anything else that cannot be read whole (a folder, a device, a FIFO, a file larger than
// maxBytes, a read error) is Failed, and *error names the file and the reason. Never blocks on
// a FIFO and never reads more than maxBytes + 1 bytes.
ReadResult readRegular(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error);

// Replaces the file with bytes: written to a temporary file beside it, flushed to disk, then
// renamed over it. On any failure, a full disk included, the old file stays as it was, false
// is returned and *error names the file and the reason.
bool writeAtomically(const QString& path, QByteArrayView bytes, QString* error);

}  // namespace files
