#include "dialogs/settingsdialog.h"

// The store folder part of the settings dialog: the folder shown, and another one chosen.

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "desktop/commondialog.h"
#include "desktop/prompts.h"
#include "desktop/windowops.h"
#include "platform/apppaths.h"
#include "store/storekeys.h"

namespace {

const QString kFolderTitle = QStringLiteral("帖子文件夹");

// Whether `folder` lies somewhere below `outer`.
bool inside(const QString& folder, const QString& outer) {
    const QString in = QFileInfo(folder).canonicalFilePath();
    const QString around = QFileInfo(outer).canonicalFilePath();
    return !in.isEmpty() && !around.isEmpty() && in.startsWith(around + u'/');
}

bool sameFolder(const QString& a, const QString& b) {
    const QString first = QFileInfo(a).canonicalFilePath();
    const QString second = QFileInfo(b).canonicalFilePath();
    if (first.isEmpty() || second.isEmpty()) return QDir::cleanPath(a) == QDir::cleanPath(b);
    return first == second;
}

QString shown(const QString& dir) {
    return QDir::toNativeSeparators(dir);
}

}  // namespace

void SettingsDialog::showStoreFolder() {
    auto* group = findChild<QGroupBox*>(QStringLiteral("storeFolder"));
    const QString store = shown(paths::storeDir());
    QString tip = QStringLiteral("帖子存在这个文件夹里：") + store;
    if (paths::storeDirOverridden()) {
        group->setTitle(QStringLiteral("帖子文件夹（这次由 --store 或 JOTPIN_STORE 指定）"));
        tip += QStringLiteral(
            "\n这次运行的帖子文件夹由 --store 或环境变量 JOTPIN_STORE 指定；"
            "在这里选的文件夹在不指定它们时打开。");
    } else {
        group->setTitle(kFolderTitle);
    }
    m_storeFolderLabel->setText(m_storeFolderLabel->fontMetrics().elidedText(
        store, Qt::ElideMiddle, m_storeFolderLabel->width()));
    m_storeFolderLabel->setToolTip(tip);
    m_storeFolderLabel->setAccessibleName(kFolderTitle);
    m_storeFolderLabel->setAccessibleDescription(tip);
    m_storeFolderButton->setToolTip(tip);
}

void SettingsDialog::chooseStoreFolder() {
    const QString current = paths::storeDir();
    const QString dir = [&] {
        const windowops::TopmostPause pause(m_owner);
        CommonDialog& dialog = CommonDialog::instance();
        dialog.setFileName(current);
        const bool chosen = dialog.showFolder(this, QStringLiteral("选择帖子文件夹"));
        return chosen ? QDir::cleanPath(dialog.fileName()) : QString();
    }();
    if (dir.isEmpty()) return;
    // The folder in use: nothing to do, unless it is to be remembered beside an override.
    const bool overridden = paths::storeDirOverridden();
    if (!overridden && sameFolder(dir, current)) return;
    Prompts& prompts = Prompts::instance();
    // Such as its own tie/: the store would be moved into itself.
    if (inside(dir, current)) {
        prompts.warn(QStringLiteral("文件夹 %1 在现在的帖子文件夹 %2 里面，帖子不能放在那里。")
                         .arg(shown(dir), shown(current)),
                     kFolderTitle);
        return;
    }
    if (!QFileInfo(dir).isDir() || !paths::canWriteIn(dir)) {
        prompts.warn(QStringLiteral("无法在文件夹 %1 里写入文件，帖子不能放在那里。\n"
                                    "请选择一个可以写入的文件夹。")
                         .arg(shown(dir)),
                     kFolderTitle);
        return;
    }
    const bool holdsStore = QFileInfo::exists(dir + u'/' + store::keys::kSettingsFile);
    if (overridden) {
        QString error;
        if (!paths::rememberStoreDir(dir, &error)) {
            prompts.warn(QStringLiteral("无法记住帖子文件夹：\n") + error, kFolderTitle);
            return;
        }
        prompts.tell(
            QStringLiteral("以后不指定 --store 或 JOTPIN_STORE 启动 Jotpin 时，"
                           "打开帖子文件夹 %1%2。\n"
                           "这次运行的帖子文件夹由 --store 或 JOTPIN_STORE 指定，"
                           "仍然是 %3：这次不换，帖子也不搬。")
                .arg(shown(dir), holdsStore ? QString() : QStringLiteral("（那里还没有帖子）"),
                     shown(current)),
            kFolderTitle);
        return;
    }
    const QString question =
        holdsStore ? QStringLiteral(
                         "文件夹 %1 里已经有帖子。\n打开那里的帖子吗？\n"
                         "现在的帖子先保存，留在 %2。Jotpin 会重新启动。")
                   : QStringLiteral(
                         "把帖子搬到文件夹 %1 吗？\n"
                         "帖子先保存，然后 tie.dat 和 tie 文件夹里的帖子文件复制过去，"
                         "核对无误后才从 %2 删除；那里的其他文件不动。"
                         "Jotpin 会重新启动。");
    if (prompts.askOkCancel(question.arg(shown(dir), shown(current)), kFolderTitle) !=
        Prompts::Answer::Ok)
        return;
    Q_EMIT storeChosen(dir, !holdsStore);
}
