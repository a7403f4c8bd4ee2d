#include "desktop/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace modules {

QObject* load(const QString& name, QString* error) {
    const QString program = QCoreApplication::applicationDirPath();
    const QStringList places{
        program + u'/' + name,
        QDir::cleanPath(program + QStringLiteral("/" JOTPIN_MODULE_FOLDER "/")) + u'/' + name,
        name};  // a bare name: Qt's library paths
    QString why;
    for (const QString& place : places) {
        QPluginLoader loader(place);
        // Kept in memory when Qt unloads its libraries at exit: a sound may still be ending
        // on a thread of the player's.
        loader.setLoadHints(QLibrary::PreventUnloadHint);
        if (QObject* root = loader.instance()) return root;
        // A file that is there but does not load says more than the places without one; Qt's
        // reason then names the file.
        if (QFileInfo(loader.fileName()).isFile()) {
            *error = loader.errorString();
            return nullptr;
        }
        why = loader.errorString();
    }
    *error = name + QStringLiteral(": ") + why;
    return nullptr;
}

}  // namespace modules
