#include "app/programmenus.h"

#include <QKeySequence>
#include <QMenu>

ProgramMenus::ProgramMenus(const QList<Item>& items, QWidget* parent) : QObject(parent) {
    // The window system knows the menus by these titles.
    m_menus.insert(Which::Tray, new QMenu(QStringLiteral("menu"), parent));
    m_menus.insert(Which::Note, new QMenu(QStringLiteral("main"), parent));
    m_menus.insert(Which::Edit, new QMenu(QStringLiteral("Edit"), parent));
    for (const Item& item : items) {
        QMenu* menu = m_menus.value(item.menu);
        if (item.separatorBefore) menu->addSeparator();
        // The key stands beside the caption, not in it, so that a screen reader names the item
        // by its caption alone. Such a key never fires by itself: the menus are only popped up,
        // never added to a window; a note's text hands its keys on.
        QAction* action = menu->addAction(item.caption);
        if (!item.key.isEmpty()) action->setShortcut(QKeySequence(item.key));
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
