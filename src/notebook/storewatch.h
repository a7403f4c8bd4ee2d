#pragma once
// Watches a store folder for files written by others: "tie.dat" and "tie/", into which a sync
// tool moves files by rename. Says so once the folder has been quiet for a moment, since a sync
// tool brings the settings file and the content files one after the other, and at the latest a
// while after the first change, since a trickle of changes (a slow download, a tool that touches
// files every moment) may never leave it quiet. No polling: the system tells of each change
// (inotify), and nothing wakes while nothing changes.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

class StoreWatch : public QObject {
    Q_OBJECT
public:
    explicit StoreWatch(QString storeDir, int settleMs = 300, int longestMs = 5000,
                        QObject* parent = nullptr);
    // Something there changed, and nothing more for settleMs since; or changes have gone on
    // for longestMs.
    Q_SIGNAL void settled();
    // Watches what exists now: a file replaced by rename drops out of the watch, "tie/" may
    // come after the folder, and a folder unmounted and mounted again is a new one.
    void arm();

private:
    QString m_storeDir;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QTimer m_longest;  // from the first change not yet told
};
