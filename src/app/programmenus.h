#pragma once
// The program's three menus, built from one table: the tray menu, the note menu and the edit
// menu of a note's text. Each row gives an item's menu, caption, the key shown beside it and
// what it does. A note's text handles the keys of its own table (commands/notekeys); the other
// keys of the edit menu, those of formatting, act through this table.

#include <QHash>
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
    AlignLeft,
    AlignCenter,
    AlignRight,
    Font,
    Find,
    FindNext,
};

class ProgramMenus : public QObject {
    Q_OBJECT
public:
    enum class Which { Tray, Note, Edit };

    struct Item {
        Which menu;
        MenuItem id;
        QString caption;
        QString key;
        std::function<void()> command;  // on a click
        bool separatorBefore = false;
        // A check item: on a click, with the new check.
        std::function<void(bool)> checked = nullptr;
        // After the menu has closed, for a command that deletes the menu.
        bool afterClosing = false;
    };

    ProgramMenus(const QList<Item>& items, QWidget* parent);

    QMenu* menu(Which which) const { return m_menus.value(which); }
    QAction* action(MenuItem id) const { return m_actions.value(id); }

private:
    QHash<Which, QMenu*> m_menus;
    QHash<MenuItem, QAction*> m_actions;
};
