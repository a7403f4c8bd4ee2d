#pragma once
// The program's three menus, built from one table: the tray menu, the note menu and the edit
// menu of a note's text. Each row gives an item's menu, caption, its keys and what it does. A
// note's keys are actions built from the same rows, so the key shown beside an item is the key
// bound.

#include <QHash>
#include <QKeyCombination>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;

enum class MenuItem {
    // The tray menu.
    Back,
    NewNote,
    ShowAll,
    NoteList,
    NotesOnTop,
    HideAll,
    ReminderSound,
    StartWithSession,
    Help,
    NewVersion,
    Exit,
    // The note menu, acting on the current note.
    Clear,
    Open,
    Save,
    Print,
    Lock,
    Settings,
    Hide,
    ClipboardCapture,
    NoteMenuNewNote,
    Delete,
    // The edit menu of a note's text.
    InsertIcon,
    Undo,
    Cut,
    Copy,
    Paste,
    Remove,
    Regular,
    Bold,
    Italic,
    BoldItalic,
    Bullets,
    Checklist,
    AlignLeft,
    AlignCenter,
    AlignRight,
    Font,
    Find,
    FindNext,
    OpenLink,
    CopyLinkAddress,
    // A key alone, in no menu.
    MenuAtKeyboard,
    TrayMenuAtNote,
    SearchAllNotes,
};

class ProgramMenus : public QObject {
    Q_OBJECT
public:
    // None: a key of a note that no menu shows.
    enum class Which { Tray, Note, Edit, None };

    struct Item {
        Which menu = Which::None;
        MenuItem id{};
        QString caption = {};
        // Its keys in a note, the first shown beside the caption. Ctrl is held or not exactly as
        // given; with `othersIgnored` a key acts whatever Shift, Alt or Meta is held besides its
        // own, as the note commands' keys always have, else with exactly its modifiers, so that
        // Ctrl+Shift+B is not Ctrl+B.
        QList<QKeyCombination> keys = {};
        bool othersIgnored = false;
        std::function<void()> command = nullptr;  // on a click, and on the key
        bool separatorBefore = false;
        // A check item: on a click, with the new check.
        std::function<void(bool)> checked = nullptr;
        // After the menu has closed, for a command that deletes the menu.
        bool afterClosing = false;
        // On the key, where it does other than a click.
        std::function<void()> byKey = nullptr;
    };

    // `runKey` runs the command of a key pressed in the active window: the app makes that
    // window's note the current one first.
    ProgramMenus(const QList<Item>& items,
                 const std::function<void(const std::function<void()>&)>& runKey, QWidget* parent);

    QMenu* menu(Which which) const { return m_menus.value(which); }
    QAction* action(MenuItem id) const { return m_actions.value(id); }
    // The keys of the notes, one action each with every key it answers to, for each note
    // window to add: Qt dispatches them while that window has the keyboard.
    const QList<QAction*>& keyActions() const { return m_keyActions; }
    // The key combinations a row answers to.
    static QList<QKeySequence> shortcutsOf(const Item& item);

private:
    QHash<Which, QMenu*> m_menus;
    QHash<MenuItem, QAction*> m_actions;
    QList<QAction*> m_keyActions;
};
