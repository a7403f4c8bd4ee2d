#include "app/programmenus.h"

#include <QKeySequence>
#include <QMenu>

bool ProgramMenus::Key::matches(QKeyCombination pressed) const {
    if (isEmpty() || pressed.key() != m_keys.key()) return false;
    const Qt::KeyboardModifiers own = m_keys.keyboardModifiers();
    const Qt::KeyboardModifiers held = pressed.keyboardModifiers();
    if (!m_othersIgnored) return held == own;
    // Ctrl is never ignored: a plain letter stays a letter.
    return (held & Qt::ControlModifier) == (own & Qt::ControlModifier) && (held & own) == own;
}

ProgramMenus::ProgramMenus(const QList<Item>& items, QWidget* parent) : QObject(parent) {
    // The window system knows the menus by these titles.
    m_menus.insert(Which::Tray, new QMenu(QStringLiteral("menu"), parent));
    m_menus.insert(Which::Note, new QMenu(QStringLiteral("main"), parent));
    m_menus.insert(Which::Edit, new QMenu(QStringLiteral("Edit"), parent));
    for (const Item& item : items) {
        // A key calls its command at once: no check item, nothing waiting for the menu to close.
        Q_ASSERT(item.key.isEmpty() || (!item.checked && !item.afterClosing));
        if (!item.key.isEmpty()) m_keys.append({item.key, item.byKey ? item.byKey : item.command});
        QMenu* menu = m_menus.value(item.menu);
        if (!menu) continue;
        if (item.separatorBefore) menu->addSeparator();
        // The key stands beside the caption, not in it, so that a screen reader names the item
        // by its caption alone. Such a key never fires by itself: the menus are only popped up,
        // never added to a window; a note's text hands its keys to keyCommand().
        QAction* action = menu->addAction(item.caption);
        if (!item.key.isEmpty()) action->setShortcut(QKeySequence(item.key.keys()));
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

std::function<void()> ProgramMenus::keyCommand(QKeyCombination pressed) const {
    for (const Binding& binding : m_keys) {
        if (binding.key.matches(pressed)) return binding.command;
    }
    return nullptr;
}
