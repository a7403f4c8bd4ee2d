#pragma once
// Loading every note from the store at start and writing every note back.

#include <QString>
#include <QStringList>

class Form2;

// The settings file and the content file of note n in the store folder.
QString settingsFilePath();
QString contentFilePath(int n);

// Sets the three switches from the store and recreates every stored note, or makes one new
// note at the right edge of the screen on a first start. Every value that cannot be read is
// skipped and the load goes on.
void LoadAllNotes(Form2& main);

// Writes every note window (renumbered from 1 in Forms order), its content file and the
// program-wide values. A file that cannot be written is reported on stderr and in *errors;
// everything else is still written. Returns true when everything was written.
bool SaveAllNotes(Form2& main, QStringList* errors = nullptr);
