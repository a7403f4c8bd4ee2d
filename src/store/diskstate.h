#pragma once
// What the store folder holds as files, told apart cheaply: a stat of "tie.dat" and of every
// content file. Two readings that compare equal mean nobody wrote there in between; a sync tool
// replaces files by rename, which gives them new stamps. Also the names sync tools give the
// copies they leave when two machines changed one file.

#include <QHash>
#include <QString>
#include <QStringList>

#include "platform/files.h"

namespace store {

// A file told apart from another cheaply: see files::Stamp.
using FileStamp = files::Stamp;

struct DiskState {
    FileStamp settings;
    QHash<int, FileStamp> contents;  // by the n of "tie<n>.tie"
    // Conflict copies of the settings file or of content files, as full paths.
    QStringList conflictCopies;
    // Everything but the copies, which are looked at on their own.
    bool sameFiles(const DiskState& other) const {
        return settings == other.settings && contents == other.contents;
    }
};

DiskState readDiskState(const QString& storeDir);

// The file a sync tool's conflict copy was made of ("tie2.tie" for
// "tie2.sync-conflict-20261207-101010-ABCDEF1.tie", "tie2 (conflicted copy 2026-12-07 101010).tie"
// or "tie2 (Li's conflicted copy 2026-12-07).tie"), or empty for any other name.
QString conflictCopyOf(const QString& fileName);

}  // namespace store
