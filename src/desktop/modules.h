#pragma once
// Sound and printing are plugins of our own (desktop/soundplugin.cpp, desktop/printplugin.cpp),
// loaded at their first use: a start maps neither Qt Multimedia nor Qt Print Support, which
// most runs never need. A module is looked for beside the program (the build folder), then in
// lib/jotpin beside its bin folder (installed), then in Qt's library paths.

#include <QObject>
#include <QString>

namespace modules {

// The module's root object; nullptr, with *error saying why, when it cannot be loaded. It
// stays loaded: later calls give the same object.
QObject* load(const QString& name, QString* error);

template <typename Interface>
Interface* load(const QString& name, QString* error) {
    QObject* root = load(name, error);
    if (!root) return nullptr;
    auto* module = qobject_cast<Interface*>(root);
    if (!module) *error = name + QStringLiteral(": 版本不符");
    return module;
}

}  // namespace modules
