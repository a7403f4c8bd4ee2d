#include "notebook/storewatch.h"

#include <QFileInfo>

#include "store/storekeys.h"

StoreWatch::StoreWatch(QString storeDir, int settleMs, int longestMs, QObject* parent)
    : QObject(parent), m_storeDir(std::move(storeDir)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    m_longest.setSingleShot(true);
    m_longest.setInterval(longestMs);
    auto tell = [this] {
        m_settle.stop();
        m_longest.stop();
        Q_EMIT settled();
    };
    connect(&m_settle, &QTimer::timeout, this, tell);
    connect(&m_longest, &QTimer::timeout, this, tell);
    auto changed = [this] {
        arm();
        m_settle.start();
        if (!m_longest.isActive()) m_longest.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    arm();
}

void StoreWatch::arm() {
    using namespace store::keys;
    const QStringList wanted = {m_storeDir, m_storeDir + u'/' + kContentFolder,
                                m_storeDir + u'/' + kSettingsFile};
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    for (const QString& path : wanted) {
        if (!watched.contains(path) && QFileInfo::exists(path)) m_watcher.addPath(path);
    }
}
