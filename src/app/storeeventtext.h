#pragma once
// What the user reads of an event of the store.

#include <QString>

#include "notebook/storeevent.h"

QString storeEventText(const StoreEvent& event);
