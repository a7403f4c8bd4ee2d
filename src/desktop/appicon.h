#pragma once
// The program's icon, drawn for each size (resources/appicon).

#include <QIcon>
#include <initializer_list>

QIcon appIcon(std::initializer_list<int> sizes);
