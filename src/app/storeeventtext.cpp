#include "app/storeeventtext.h"

#include <QDir>

QString storeEventText(const StoreEvent& event) {
    const QString path = QDir::toNativeSeparators(event.path);
    QString details = event.details.join(u'\n');
    switch (event.kind) {
        case StoreEvent::Kind::SaveFailing:
            return QStringLiteral("帖子没有保存：\n") + details;
        case StoreEvent::Kind::SavingWorksAgain:
            return QStringLiteral("帖子又能保存了。");
        case StoreEvent::Kind::SaveNotices:
            return details;
        case StoreEvent::Kind::StoreUnreadable:
            return QStringLiteral(
                       "无法读取帖子文件：%1\n为了不覆盖其中的帖子，Jotpin 这次不会保存任何改动。")
                .arg(details);
        case StoreEvent::Kind::ReadProblems:
            return QStringLiteral("读取帖子时出了问题：\n") + details;
        case StoreEvent::Kind::FolderMissing:
            return QStringLiteral(
                       "找不到帖子文件夹 %1（也许还没有挂载）。\nJotpin 等它出现后再读取"
                       "其中的帖子，在此之前不保存。要在那里开始新的帖子，请先建立这个"
                       "文件夹。")
                .arg(path);
        case StoreEvent::Kind::FolderBack:
            return QStringLiteral("帖子文件夹 %1 出现了，其中的帖子已经读入。").arg(path);
        case StoreEvent::Kind::SettingsFileGone:
            return QStringLiteral("帖子文件 %1 不见了：Jotpin 把所有帖子重新保存一遍。").arg(path);
        case StoreEvent::Kind::OtherVersionsKept:
            return QStringLiteral(
                "另一台电脑也改了同一个帖子：两个版本都留下了，另一台电脑的版本"
                "是新的帖子，第一行写着“另一台电脑的版本”。");
        case StoreEvent::Kind::ConflictCopiesFolded: {
            QString text = QStringLiteral(
                               "同步工具留下了 %1 个冲突副本：其中 %2 个帖子的内容别处没有，"
                               "已作为新帖子找回。副本已移到 %3。")
                               .arg(event.count)
                               .arg(event.restored)
                               .arg(path);
            if (event.linksOut > 0)
                text += QStringLiteral("其中 %1 个是指向帖子文件夹以外的链接，没有读它们。")
                            .arg(event.linksOut);
            return text;
        }
        case StoreEvent::Kind::TextWithoutSettings:
            return QStringLiteral(
                "另一台电脑的一个帖子只送来了内容，没有送来它的设置：内容已作为新帖子留下，"
                "第一行写着“另一台电脑的版本”。");
    }
    return {};
}
