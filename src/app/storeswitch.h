#pragma once
// Another store folder, chosen in the settings dialog: everything is saved; when the files are
// to move, they are copied there, each read back, and only then removed here; the folder is
// remembered for this machine. A save or copy that fails is told and changes nothing: the
// program goes on with the store where it was.

#include <QString>

#include "notebook/autosave.h"

class ProgramEnd;
class StoreSync;

class StoreSwitch {
public:
    // `end` ends the program, which starts again on the folder remembered.
    StoreSwitch(StoreSync& store, AutoSave::Delays autoSave, ProgramEnd& end)
        : m_store(store), m_autoSave(autoSave), m_end(end) {}

    void switchTo(const QString& dir, bool move);

private:
    StoreSync& m_store;
    AutoSave::Delays m_autoSave;
    ProgramEnd& m_end;
};
