#pragma once
// The program's dialogs that stay open beside the notes: the note list, the settings and
// reminder dialog and the icon picker. Each is open once at most; asked for again, it comes
// forward.

#include <QObject>
#include <QPointer>
#include <functional>

#include "app/notesettingshost.h"
#include "dialogs/iconpicker.h"
#include "dialogs/notelistdialog.h"
#include "dialogs/settingsdialog.h"

class NoteFactory;
class NoteList;
class NoteWindow;
class OpenWindows;

class ModelessDialogs : public QObject {
    Q_OBJECT
public:
    // The dialogs act on the current note of `windows`; `parent` owns the settings dialog. The
    // note list lists `notes` and shows them in their windows.
    ModelessDialogs(OpenWindows& windows, const NoteList& notes, NoteFactory& noteWindows,
                    QWidget* parent);

    // "帖子列表": the notes picked there are shown and brought forward. The keyboard is in its
    // search field.
    void showNoteList();
    // " Jotpin设置" for the current note.
    void showSettings();
    // "插入图标", which inserts into the current note.
    void showIconPicker();
    // Every dialog closes (the exit's question comes alone).
    void closeAll();

    NoteListDialog* noteList() const { return m_noteList; }
    SettingsDialog* settings() const { return m_settings; }
    IconPicker* iconPicker() const { return m_iconPicker; }

Q_SIGNALS:
    // A note picked in the list was brought forward after a search that found `text` in it.
    void matchPicked(NoteWindow* note, const QString& text);
    // The settings dialog's store folder was chosen (SettingsDialog::storeChosen).
    void storeChosen(const QString& dir, bool move);

private:
    OpenWindows& m_windows;
    const NoteList& m_notes;
    NoteFactory& m_noteWindows;
    std::function<NoteWindow*()> m_currentNote;
    NoteSettingsHost m_settingsHost{m_currentNote};
    QWidget* m_parent;
    QPointer<NoteListDialog> m_noteList;
    QPointer<SettingsDialog> m_settings;
    QPointer<IconPicker> m_iconPicker;
};
