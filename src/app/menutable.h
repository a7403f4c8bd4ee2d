#pragma once
// What the items of the program's menus say and do.

#include <QList>

#include "app/menus.h"

class TrayController;

QList<Menus::Item> programMenuItems(TrayController& app);
