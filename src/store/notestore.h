#pragma once
// The store as values: "tie.dat" and the content files of a store folder read into notes and
// program switches, and written back from them. No windows.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/note.h"
#include "model/programswitches.h"

class QTextDocument;

namespace store {

QString settingsFilePath(const QString& storeDir);
QString contentFilePath(const QString& storeDir, int n);

struct LoadedStore {
    // The switches as stored; a value that cannot be read keeps the one passed in.
    Switches switches;
    // No note stored (the count is 0, missing or not a number): the caller makes the first one.
    bool firstStart = false;
    // The stored notes in section order; note i is stored under number i + 1. A value that
    // cannot be read keeps what a new note has.
    QList<Note> notes;
};

// Reads the settings file. Every value that cannot be read is skipped and the load goes on;
// a settings file that cannot be read is reported in *errors and reads as empty.
LoadedStore loadStore(const QString& storeDir, const Switches& current,
                      QStringList* errors = nullptr);

// The RTF bytes of the content file of note n; nullopt when there is none, or when it cannot
// be read (reported in *errors).
std::optional<QByteArray> readContent(const QString& storeDir, int n, QStringList* errors);

struct NoteToSave {
    Note note;
    const QTextDocument* content = nullptr;
};

// Writes the notes as sections 1..N with their content files, then N and the switches. A file
// that cannot be written is reported on stderr and in *errors; everything else is still
// written. Returns true when everything was written.
bool saveStore(const QString& storeDir, const Switches& switches, const QList<NoteToSave>& notes,
               QStringList* errors = nullptr);

}  // namespace store
