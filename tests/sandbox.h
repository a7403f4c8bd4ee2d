#pragma once
// Every test program runs in folders of its own, set up before anything else runs: the
// program folder (and so the store), and the XDG folders (autostart entries, data). A test
// never touches the user's files, and test programs running side by side never share a store.

#include <QDir>
#include <QTemporaryDir>

#include "platform/apppaths.h"

class TestSandbox {
public:
    TestSandbox() {
        for (const char* name :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
            const QString path = m_dir.filePath(QString::fromLatin1(name).toLower());
            QDir().mkpath(path);
            qputenv(name, path.toUtf8());
        }
        restore();
    }
    QString appPath() const { return m_dir.filePath(QStringLiteral("app")); }
    QString configPath() const { return m_dir.filePath(QStringLiteral("xdg_config_home")); }
    // Points the program folder back at the sandbox (after a test pointed it elsewhere).
    void restore() const {
        QDir().mkpath(appPath());
        paths::overrideProgram(appPath(), QStringLiteral("jotpin"));
        paths::overrideStoreDir({});
    }

private:
    QTemporaryDir m_dir;
};

inline TestSandbox g_sandbox;
