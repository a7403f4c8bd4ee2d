#include "app/application.h"

// A note wired to the program: its buttons, its text's keys and right button, and the note and
// edit menus they pop up.

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <algorithm>

#include "commands/editcommands.h"
#include "commands/filecommands.h"
#include "commands/notecommands.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "richtext/richtextbox.h"
#include "text/links.h"

namespace {

// A menu opened by a key has its first item ready for the arrows.
void readyForKeys(QMenu* menu) {
    if (!menu->isVisible()) return;  // a locked note has no menu
    const QList<QAction*> actions = menu->actions();
    const auto first = std::find_if(actions.cbegin(), actions.cend(), [](const QAction* action) {
        return !action->isSeparator() && action->isVisible() && action->isEnabled();
    });
    if (first != actions.cend()) menu->setActiveAction(*first);
}

}  // namespace

void Application::connectNote(NoteWindow* note) {
    connect(note, &NoteWindow::activated, this, [this, note] {
        m_windows.noteActivated(note);
        if (SettingsDialog* settings = m_dialogs.settings())
            settings->showNoteColour();  // the dialog now acts on this note
    });
    // The title strip. A click there activates the note; the commands act on it even when the
    // window manager is slow to say so.
    connect(note->menuButton(), &IconButton::clicked, this, [this, note] {
        // Pressed by a key or a screen reader, the menu opens at the button.
        const IconButton* button = note->menuButton();
        if (!button->pressedWithoutMouse()) {
            popUpNoteMenu(note, QCursor::pos());
            return;
        }
        popUpNoteMenu(note, button->menuPlace());
        readyForKeys(m_menus.menu(ProgramMenus::Which::Note));
    });
    connect(note->alarmIcon(), &IconButton::clicked, this,
            [this, note] { note->closeAlarm(m_switches.notesOnTop()); });
    connect(note->unlockButton(), &IconButton::clicked, this,
            [note] { commands::unlockNote(note); });
    connect(note->hideButton(), &IconButton::clicked, note, &QWidget::hide);
    connect(note->deleteButton(), &IconButton::clicked, this, [this, note] {
        m_windows.noteActivated(note);
        commands::deleteNoteAsked(m_host, note);
    });
    // Its keys, anywhere in the note, and its text's right button.
    note->addActions(m_menus.keyActions());
    connect(note->editor(), &RichTextBox::fileDropped, this, [this, note](const QString& path) {
        m_windows.noteActivated(note);
        commands::openDroppedFile(m_host, path);
    });
    // After the paste or the drop: a drop's question would keep the dragging program waiting.
    connect(note->editor(), &RichTextBox::pictureRefused, this, &commands::tellPictureRefused,
            Qt::QueuedConnection);
    connect(note->editor(), &RichTextBox::linkActivated, this,
            [this](const QUrl& url) { openPage(url, links::address(url)); });
    connect(note->editor(), &RichTextBox::mousePressed, this,
            [this, note](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) {
                if (button == Qt::RightButton)
                    popUpEditMenu(note, note->editor()->mapToGlobal(pos));
            });
}

void Application::popUpTrayMenuAt(QPoint at) {
    readyForKeys(m_tray.popUpMenu(at));
}

void Application::runNoteKey(const std::function<void()>& command) {
    auto* note = qobject_cast<NoteWindow*>(QApplication::activeWindow());
    if (!note || note->isLocked() || !command) return;
    m_windows.noteActivated(note);  // the commands act on the current note
    command();
}

void Application::popUpMenuAtKeyboard() {
    NoteWindow* note = currentNote();
    if (!note) return;
    const QPoint at = note->keyboardMenuPlace();
    const bool inText = note->editor()->hasFocus();
    if (inText)
        popUpEditMenu(note, at);
    else
        popUpNoteMenu(note, at);
    readyForKeys(m_menus.menu(inText ? ProgramMenus::Which::Edit : ProgramMenus::Which::Note));
}

void Application::updateEditMenu() {
    const NoteWindow* note = currentNote();
    if (!note) return;
    const commands::EditEnables on =
        commands::editEnables(*note->editor(), QGuiApplication::clipboard()->mimeData());
    m_menus.action(MenuItem::Undo)->setEnabled(on.undo);
    m_menus.action(MenuItem::Cut)->setEnabled(on.cut);
    m_menus.action(MenuItem::Copy)->setEnabled(on.copy);
    m_menus.action(MenuItem::Paste)->setEnabled(on.paste);
    m_menus.action(MenuItem::Remove)->setEnabled(on.remove);
    const bool onLink = note->editor()->menuLink().has_value();
    m_menus.action(MenuItem::OpenLink)->setVisible(onLink);
    m_menus.action(MenuItem::CopyLinkAddress)->setVisible(onLink);
}

void Application::popUpEditMenu(NoteWindow* note, QPoint at) {
    if (!note) return;
    m_windows.noteActivated(note);
    note->editor()->pinMenuLink();
    m_menus.menu(ProgramMenus::Which::Edit)->popup(at);
}

void Application::popUpNoteMenu(NoteWindow* note, QPoint at) {
    if (!note || note->isLocked()) return;
    m_windows.noteActivated(note);
    m_menus.menu(ProgramMenus::Which::Note)->popup(at);
}
