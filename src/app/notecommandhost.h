#pragma once
// What the note commands may ask of the program, answered by the program's parts.

#include <functional>

#include "commands/notecommands.h"

class ModelessDialogs;
class NoteFactory;
class OpenWindows;
class ProgramSwitches;
class StoreSync;

class NoteCommandHost final : public CommandHost {
public:
    NoteCommandHost(OpenWindows& windows, NoteFactory& notes, const ProgramSwitches& switches,
                    StoreSync& store, ModelessDialogs& dialogs)
        : m_windows(windows),
          m_notes(notes),
          m_switches(switches),
          m_store(store),
          m_dialogs(dialogs) {}

    NoteWindow* createNote() override;
    NoteWindow* currentNote() const override;
    const NoteList& notes() const override;
    const ProgramSwitches& switches() const override { return m_switches; }
    void applyTopmostToAll() override;
    void closeNote(NoteWindow* note) override;
    int storedNumber(const NoteWindow* note) override;
    void removeContentFile(int n) override;
    void saveNow() override;
    void showSettings() override;
    void showIconPicker() override;
    QString& findText() override { return m_findText; }
    void popUpTrayMenu(QPoint at) override;
    // How the tray menu is shown; the menus are made after the host.
    void setTrayMenu(std::function<void(QPoint)> popUp) { m_trayMenu = std::move(popUp); }

private:
    OpenWindows& m_windows;
    NoteFactory& m_notes;
    const ProgramSwitches& m_switches;
    StoreSync& m_store;
    ModelessDialogs& m_dialogs;
    QString m_findText;  // the last text searched for, in any note
    std::function<void(QPoint)> m_trayMenu;
};
