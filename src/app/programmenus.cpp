#include "app/programmenus.h"

#include <QAction>
#include <QMenu>

QList<QKeySequence> ProgramMenus::shortcutsOf(const Item& item) {
    QList<QKeySequence> shortcuts;
    for (const QKeyCombination keys : item.keys) {
        shortcuts.append(QKeySequence(keys));
        if (!item.othersIgnored) continue;
        // Every set of the other modifiers besides its own; Ctrl never, so a plain letter stays
        // a letter.
        const Qt::KeyboardModifiers own = keys.keyboardModifiers();
        const Qt::KeyboardModifier others[] = {Qt::ShiftModifier, Qt::AltModifier,
                                               Qt::MetaModifier};
        for (int set = 1; set < 8; ++set) {
            Qt::KeyboardModifiers held = own;
            for (int i = 0; i < 3; ++i) {
                if (set & (1 << i)) held |= others[i];
            }
            const QKeySequence variant(QKeyCombination(held, keys.key()));
            if (held != own && !shortcuts.contains(variant)) shortcuts.append(variant);
        }
    }
    return shortcuts;
}

ProgramMenus::ProgramMenus(const QList<Item>& items,
                           const std::function<void(const std::function<void()>&)>& runKey,
                           QWidget* parent)
    : QObject(parent) {
    // The window system knows the menus by these titles.
    m_menus.insert(Which::Tray, new QMenu(QStringLiteral("menu"), parent));
    m_menus.insert(Which::Note, new QMenu(QStringLiteral("main"), parent));
    m_menus.insert(Which::Edit, new QMenu(QStringLiteral("Edit"), parent));
    for (const Item& item : items) {
        // A key calls its command at once: no check item, nothing waiting for the menu to close.
        Q_ASSERT(item.keys.isEmpty() || (!item.checked && !item.afterClosing));
        if (!item.keys.isEmpty()) {
            auto* key = new QAction(this);
            key->setShortcuts(shortcutsOf(item));
            key->setShortcutContext(Qt::WindowShortcut);
            connect(
                key, &QAction::triggered, this,
                [runKey, command = item.byKey ? item.byKey : item.command] { runKey(command); });
            m_keyActions.append(key);
        }
        QMenu* menu = m_menus.value(item.menu);
        if (!menu) continue;
        if (item.separatorBefore) menu->addSeparator();
        // The key stands beside the caption, not in it, so that a screen reader names the item
        // by its caption alone. It only stands there: the menus are popped up, never added to a
        // window, and the notes' own actions take the keys.
        QAction* action = menu->addAction(item.caption);
        if (!item.keys.isEmpty()) {
            action->setShortcut(QKeySequence(item.keys.first()));
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        m_actions.insert(item.id, action);
        if (item.checked) {
            action->setCheckable(true);
            connect(action, &QAction::triggered, this, item.checked);
        } else if (item.command) {
            connect(action, &QAction::triggered, this, item.command,
                    item.afterClosing ? Qt::QueuedConnection : Qt::AutoConnection);
        }
    }
}
