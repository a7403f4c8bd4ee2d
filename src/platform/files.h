#pragma once
// Reading and writing whole files without ever losing the old one: reads take only regular
// files of a bounded size, writes replace a file atomically or not at all.

#include <QByteArray>
#include <QByteArrayView>
#include <QHashFunctions>
#include <QString>

#include "platform/service.h"

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

// The path a write to `path` replaces: a symbolic link is followed to the file it names (to
// where that file would be, for a dangling link), so that the link itself stays.
QString resolveLinks(const QString& path);

// Whether path names a place inside folder once every link on its way is followed, however
// many steps it takes (for a dangling link, where its file would be). A synced folder carries
// links as links, and anyone who can write there can plant one: a folder's own files are those
// that stay within it.
bool staysWithin(const QString& path, const QString& folder);

// Moves a file or a link to another name, on another file system too: there a file is copied
// and a link made anew to the same place, never followed; the original goes once the copy
// stands. False when it could not.
bool moveEntry(const QString& from, const QString& to);

// What a file is now, told apart cheaply: two stamps that compare equal mean nobody wrote it in
// between. A file replaced by rename is another file even with the same size and time, which
// some sync tools give it.
struct Stamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    quint64 inode = 0;  // 0 where the system has none
    friend bool operator==(const Stamp&, const Stamp&) = default;
};

inline size_t qHash(const Stamp& stamp, size_t seed = 0) {
    return qHashMulti(seed, stamp.exists, stamp.size, stamp.modifiedMs, stamp.inode);
}

// One look at the file; a missing one has exists false.
Stamp stamp(const QString& path);

// The steps a save of many files is made of, each one call, so that a test can stop a save
// after any one of them as a crash would.
class Steps : public Service<Steps> {
public:
    virtual ~Steps() = default;
    // Makes the file anew, writes bytes and flushes them to the disk. What had that name goes
    // first: a link there is never written through.
    virtual bool writeDurably(const QString& path, QByteArrayView bytes, QString* error);
    // writeAtomically().
    virtual bool replace(const QString& path, QByteArrayView bytes, QString* error);
    // Renames over an existing file in one step.
    virtual bool rename(const QString& from, const QString& to, QString* error);
    virtual bool remove(const QString& path);
    // A second name for a file (a hard link); false where the system has none.
    virtual bool link(const QString& from, const QString& to);
    // Flushes a folder's entries (renames and removals in it) to the disk.
    virtual void syncFolder(const QString& path);

private:
    friend Service;
    static Steps& real();
};

}  // namespace files
