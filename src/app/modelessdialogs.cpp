#include "app/modelessdialogs.h"

#include "app/notefactory.h"
#include "app/openwindows.h"
#include "note/notewindow.h"
#include "notes/notelist.h"

namespace {

// A dialog that is open already comes forward instead of opening twice.
bool bringForward(QWidget* dialog) {
    if (!dialog) return false;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return true;
}

}  // namespace

ModelessDialogs::ModelessDialogs(OpenWindows& windows, const NoteList& notes,
                                 NoteFactory& noteWindows, QWidget* parent)
    : QObject(parent),
      m_windows(windows),
      m_notes(notes),
      m_noteWindows(noteWindows),
      m_currentNote([&windows] { return windows.currentNote(); }),
      m_parent(parent) {
    // Gone at once, not when the window is deleted later.
    connect(&m_windows, &OpenWindows::closed, this, [this](QWidget* window) {
        if (window == m_noteList) m_noteList = nullptr;
    });
}

void ModelessDialogs::showNoteList() {
    if (bringForward(m_noteList)) {
        m_noteList->focusSearch();
        return;
    }
    auto* list = new NoteListDialog(m_notes.entries());
    m_noteList = list;
    m_windows.add(list);
    connect(list, &NoteListDialog::notesPicked, this,
            [this](const QList<NoteEntry*>& notes, const QStringList& firstMatches) {
                for (qsizetype i = 0; i < notes.size(); ++i) {
                    // A note deleted while the list was open is not brought back.
                    if (m_notes.find(notes[i]->id()) != notes[i]) continue;
                    NoteWindow* note = m_noteWindows.windowFor(*notes[i]);
                    note->show();
                    note->raise();
                    note->activateWindow();  // which makes it the current note
                    if (!firstMatches.value(i).isEmpty()) Q_EMIT matchPicked(note, firstMatches[i]);
                }
            });
    connect(list, &NoteListDialog::closeRequested, this, [this, list] { m_windows.close(list); });
    list->showOnTop();
}

void ModelessDialogs::showSettings() {
    if (bringForward(m_settings)) return;
    auto* dialog = new SettingsDialog(m_settingsHost, m_parent);
    m_settings = dialog;
    m_windows.add(dialog);
    connect(dialog, &SettingsDialog::closeRequested, this,
            [this, dialog] { m_windows.close(dialog); });
    connect(dialog, &SettingsDialog::storeChosen, this, &ModelessDialogs::storeChosen);
    dialog->show();
}

void ModelessDialogs::showIconPicker() {
    if (bringForward(m_iconPicker)) return;
    auto* picker = new IconPicker(m_currentNote);
    m_iconPicker = picker;
    m_windows.add(picker);
    connect(picker, &IconPicker::closeRequested, this, [this, picker] { m_windows.close(picker); });
    picker->showOnTop();
}

void ModelessDialogs::closeAll() {
    const QList<QWidget*> windows = m_windows.windows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (!qobject_cast<NoteWindow*>(*it)) m_windows.close(*it);
    }
}
