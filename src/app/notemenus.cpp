#include "app/traycontroller.h"

// The menus of a note and the wiring of its buttons and text to the commands.

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

#include "commands/editcommands.h"
#include "commands/notecommands.h"
#include "commands/notekeys.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "richtext/richtextbox.h"

void TrayController::connectNote(NoteWindow* note) {
    connect(note, &NoteWindow::activated, this, [this, note] {
        m_windows.noteActivated(note);
        if (SettingsDialog* settings = m_dialogs.settings())
            settings->showNoteColour();  // the dialog now acts on this note
    });
    connect(note, &NoteWindow::changed, &m_store, &StoreKeeper::changed);
    connect(note, &NoteWindow::contentChanged, this,
            [this, note] { m_store.contentChanged(note); });
    // The title strip. A click there activates the note; the commands act on it even when the
    // window manager is slow to say so.
    connect(note->menuButton(), &IconButton::clicked, this,
            [this, note] { popUpNoteMenu(note, QCursor::pos()); });
    connect(note->alarmIcon(), &IconButton::clicked, this,
            [this, note] { note->closeAlarm(m_switches.notesOnTop()); });
    connect(note->unlockButton(), &IconButton::clicked, this,
            [note] { commands::unlockNote(note); });
    connect(note->hideButton(), &IconButton::clicked, note, &QWidget::hide);
    connect(note->deleteButton(), &IconButton::clicked, this, [this, note] {
        m_windows.noteActivated(note);
        commands::deleteNoteAsked(m_host, note);
    });
    // The text's keys and its right button.
    note->editor()->setKeyHandler([this, note](int key, Qt::KeyboardModifiers modifiers) {
        return commands::noteKey(m_host, note, key, modifiers);
    });
    connect(note->editor(), &RichTextBox::MouseDown, this,
            [this, note](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) {
                if (button == Qt::RightButton)
                    popUpEditMenu(note, note->editor()->mapToGlobal(pos));
            });
}

void TrayController::updateEditMenu() {
    const NoteWindow* note = currentNote();
    if (!note) return;
    const commands::EditEnables on =
        commands::editEnables(*note->editor(), QGuiApplication::clipboard()->mimeData());
    m_menus->action(MenuItem::Undo)->setEnabled(on.undo);
    m_menus->action(MenuItem::Cut)->setEnabled(on.cut);
    m_menus->action(MenuItem::Copy)->setEnabled(on.copy);
    m_menus->action(MenuItem::Paste)->setEnabled(on.paste);
    m_menus->action(MenuItem::Remove)->setEnabled(on.remove);
}

void TrayController::popUpEditMenu(NoteWindow* note, QPoint at) {
    if (!note) return;
    m_windows.noteActivated(note);
    m_menus->menu(Menus::Which::Edit)->popup(at);
}

void TrayController::popUpNoteMenu(NoteWindow* note, QPoint at) {
    if (!note || note->isLocked()) return;
    m_windows.noteActivated(note);
    m_menus->menu(Menus::Which::Note)->popup(at);
}
