#pragma once
// The store as values: "tie.dat" and the content files of a store folder read into notes and
// program switches, and written back from them. No windows.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "model/note.h"
#include "model/programswitches.h"
#include "rtf/rtf.h"
#include "store/diskstate.h"

namespace store {

QString settingsFilePath(const QString& storeDir);
QString contentFilePath(const QString& storeDir, int n);

struct StoredNote {
    int section = 0;  // the n of its section and of its content file
    Note note;
};

struct LoadedStore {
    // The settings file exists but could not be read (reported in *errors): nothing was
    // loaded, and the store must not be written over.
    bool unreadable = false;
    // The switches as stored; a value that cannot be read keeps the one passed in.
    Switches switches;
    // No note stored: the caller makes the first one.
    bool firstStart = false;
    // The stored notes in section order. A value that cannot be read keeps what a new note
    // has.
    QList<StoredNote> notes;
};

// Finishes a save cut short after its commit, then reads the settings file. Every value that cannot
// be read is skipped and the load goes on. A count of notes loads notes 1 to the count, but not
// beyond the last one with a section or a content file; a count that is not a number or negative
// loads the note sections that exist.
// setAsideDir: where a journal that is not ours goes (recoverSave()).
LoadedStore loadStore(const QString& storeDir, const Switches& current,
                      QStringList* errors = nullptr, const QString& setAsideDir = {});

// What a content file holds.
struct Content {
    enum class Kind { None, Rtf, Text };
    Kind kind = Kind::None;
    QByteArray rtf;
    QString text;
    // The file was moved aside as unreadable: the next save writes a new one.
    bool movedAside = false;
    // contentHash() of the file as it was read, to tell later whether another machine
    // replaced it.
    size_t hash = 0;
};

// The hash of a content file's bytes, as Content and saveStore give it: the same on every
// machine, never 0.
size_t contentHash(QByteArrayView bytes);

// The note as the store gives it back after a save: what it would read from the settings file.
Note asStored(const Note& note);

// The content file of note n. RTF comes as its bytes, plain text (UTF-8, else GBK) as text.
// None when there is no file, or when it cannot be read or holds neither: then the original
// is copied beside it as "tie<n>.tie.unreadable" (an earlier copy is not replaced), so that
// the next save cannot destroy it, and *errors says so.
Content readContent(const QString& storeDir, int n, QStringList* errors);

// A store left in a folder the program cannot write (a program folder on a read-only disk)
// is copied once into storeDir, where the notes live from then on; never over a store that
// is already there. True when it was copied; a file that could not be copied is in *errors.
bool adoptStore(const QString& fromDir, const QString& storeDir, QStringList* errors);

// Why the settings file would not give this lock password back as it is (a "*", a leading
// "无密码", blanks or quotes around it, a character GBK lacks, too long), or empty when it
// would. A note locked with such a password could never be unlocked after a restart.
QString passwordTrouble(const QString& password);

struct NoteToSave {
    Note note;
    // Its text, written to its content file unless that file holds it already; may be left
    // out when storedAs names such a file.
    std::shared_ptr<const rtf::Snapshot> content;
    // The number of the content file that holds its text as it stands, 0 for none. Under
    // another number the file is linked (or copied) to the new one rather than written again.
    int storedAs = 0;
};

// Writes the notes as sections 1..N with their content files, then N and the switches, with
// one commit point: after a crash at any moment the store is the old one or the new one. A
// content file that cannot be written is reported in *errors and the rest is still written,
// unless the file there would then stand under another note's section: then nothing is.
// Returns true when everything was written.
// The content files of `removals` that no note of this save stands under go with its commit
// (the files of deleted notes). *committed tells whether the new store is in place, which it may
// be when false is returned: then only some content files are missing from it.
// Needs no widgets and no document: it may run on any thread, one save at a time.
// *hashes gets, per note, contentHash() of the bytes written to its file, or 0 where the file
// was linked or left as it was. *disk, the store's files as the save found them, gets the
// stamps of the files the save put in place and loses those it removed, when everything was
// written: a file another machine brings meanwhile stays a change to be merged. setAsideDir: as
// for loadStore().
bool saveStore(const QString& storeDir, const Switches& switches, const QList<NoteToSave>& notes,
               QStringList* errors = nullptr, const QList<int>& removals = {},
               bool* committed = nullptr, QList<size_t>* hashes = nullptr,
               DiskState* disk = nullptr, const QString& setAsideDir = {});

}  // namespace store
