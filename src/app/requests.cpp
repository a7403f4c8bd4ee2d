#include "app/requests.h"

#include <QCommandLineParser>

namespace requests {

QList<QCommandLineOption> options() {
    // Qt counts a Chinese character as one column: the texts start on a line of their own.
    return {
        {kNewNote, QStringLiteral("\n新建帖子（在运行的 Jotpin 里；没有就先启动）。")},
        {kNoteList, QStringLiteral("\n打开帖子列表。")},
        {kShowAll, QStringLiteral("\n显示所有帖子。")},
        {kQuit, QStringLiteral("\n退出运行的 Jotpin（先询问）；没有运行的就什么也不做。")},
    };
}

QString chosen(const QCommandLineParser& parser) {
    QString request;
    for (const QString& name : parser.optionNames()) {
        if (name == kNewNote || name == kNoteList || name == kShowAll || name == kQuit)
            request = name;
    }
    return request;
}

}  // namespace requests
