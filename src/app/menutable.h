#pragma once
// What the items of the program's menus say and do.

#include <QList>
#include <QString>
#include <functional>

#include "app/programmenus.h"

// The address of the page about newer versions.
inline const QString kNewVersionUrl = QStringLiteral("https://jotpin.app/download");

class CommandHost;
class ProgramSwitches;
class QUrl;

// What the items act on, and the program's own commands among them.
struct MenuWiring {
    CommandHost& host;
    ProgramSwitches& switches;
    std::function<void()> showAllNotes;
    std::function<void()> hideAllNotes;
    std::function<void()> showNoteList;
    std::function<void()> exitProgram;
    std::function<void()> updateEditMenu;
    // The Menu key or Shift+F10 in a note: the edit menu at the caret, or the note menu at the
    // focused button of its title strip.
    std::function<void()> popUpMenuAtKeyboard;
    std::function<void(const QUrl& url, const QString& shown)> openPage;
};

QList<ProgramMenus::Item> programMenuItems(const MenuWiring& wiring);
