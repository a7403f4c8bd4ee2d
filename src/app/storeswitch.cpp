#include "app/storeswitch.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "app/programend.h"
#include "app/storemove.h"
#include "desktop/prompts.h"
#include "notebook/storesync.h"
#include "platform/apppaths.h"

void StoreSwitch::switchTo(const QString& dir, bool move) {
    const QString from = paths::storeDir();
    const QString title = QStringLiteral("帖子文件夹");
    Prompts& prompts = Prompts::instance();
    // From here until the end nothing is written into the old folder: saving soon stops, and
    // the program does not go back to its events (another machine's files are not read in).
    QStringList problems;
    if (!m_store.finish(&problems)) {
        // A store that cannot be saved (its folder gone, its tie.dat unreadable) must not keep
        // the program on it for good: another store may still be opened, losing what was not
        // saved. Files that could not be saved are never moved.
        const bool gone = !QFileInfo(from).isDir();
        const bool refused = move && !gone;
        if (refused ||
            prompts.askOkCancel(QStringLiteral("帖子没有保存：\n%1\n\n仍然换到帖子文件夹 %2 吗？"
                                               "没有保存的改动会丢失。")
                                    .arg(problems.join(u'\n'), QDir::toNativeSeparators(dir)),
                                title) != Prompts::Answer::Ok) {
            m_store.saveSoon(m_autoSave);
            if (refused)
                prompts.warn(QStringLiteral("帖子没有保存，所以没有搬，帖子文件夹也没有换：\n") +
                                 problems.join(u'\n'),
                             title);
            return;
        }
    }
    QStringList copied;
    QString error;
    if (move && !storemove::copyStore(from, dir, &copied, &error)) {
        m_store.saveSoon(m_autoSave);
        prompts.warn(QStringLiteral("帖子没能搬到 %1：\n%2\n\n什么都没有删除，帖子仍在 %3，"
                                    "Jotpin 照常使用那里的帖子。")
                         .arg(QDir::toNativeSeparators(dir), error, QDir::toNativeSeparators(from)),
                     title);
        return;
    }
    if (!paths::rememberStoreDir(dir, &error)) {
        storemove::removeOriginals(dir, from, copied);  // the copies go again
        m_store.saveSoon(m_autoSave);
        prompts.warn(QStringLiteral("无法记住帖子文件夹，帖子仍在 %1：\n%2")
                         .arg(QDir::toNativeSeparators(from), error),
                     title);
        return;
    }
    for (const QString& name : storemove::removeOriginals(from, dir, copied))
        std::fprintf(stderr, "jotpin: %s\n",
                     qPrintable(QDir::toNativeSeparators(from + u'/' + name) +
                                QStringLiteral(": 与复制的文件不同或无法删除，留在原处")));
    m_end.endToRestart();
}
