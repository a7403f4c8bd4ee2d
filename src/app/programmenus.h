#pragma once
// The program's three menus, built from one table: the tray menu, the note menu and the edit
// menu of a note's text. Each row gives an item's menu, caption, its key and what it does. A
// note's keys act through the same rows, so the key shown beside an item is the key bound.

#include <QHash>
#include <QKeyCombination>
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
    // A key alone, in no menu.
    TrayMenuAtNote,
    SearchAllNotes,
};

class ProgramMenus : public QObject {
    Q_OBJECT
public:
    // None: a key of a note's text that no menu shows.
    enum class Which { Tray, Note, Edit, None };

    // A command's key. Ctrl is held or not exactly as given. The note commands' keys act
    // whatever Shift, Alt or Meta is held besides their own (`othersIgnored`), as they always
    // have; the others act with exactly their modifiers, so Ctrl+Shift+B is not Ctrl+B.
    class Key {
    public:
        Key() = default;
        Key(QKeyCombination keys, bool othersIgnored = false)
            : m_keys(keys), m_othersIgnored(othersIgnored) {}
        bool isEmpty() const { return m_keys.key() == Qt::Key_unknown; }
        QKeyCombination keys() const { return m_keys; }
        bool matches(QKeyCombination pressed) const;

    private:
        QKeyCombination m_keys;
        bool m_othersIgnored = false;
    };

    struct Item {
        Which menu;
        MenuItem id;
        QString caption;
        Key key;
        std::function<void()> command;  // on a click, and on the key
        bool separatorBefore = false;
        // A check item: on a click, with the new check.
        std::function<void(bool)> checked = nullptr;
        // After the menu has closed, for a command that deletes the menu.
        bool afterClosing = false;
        // On the key, where it does other than a click.
        std::function<void()> byKey = nullptr;
    };

    ProgramMenus(const QList<Item>& items, QWidget* parent);

    QMenu* menu(Which which) const { return m_menus.value(which); }
    QAction* action(MenuItem id) const { return m_actions.value(id); }
    // The command of a key pressed in a note, or nullptr when no row has that key.
    std::function<void()> keyCommand(QKeyCombination pressed) const;

private:
    struct Binding {
        Key key;
        std::function<void()> command;
    };

    QHash<Which, QMenu*> m_menus;
    QHash<MenuItem, QAction*> m_actions;
    QList<Binding> m_keys;
};
