#include "app/storemove.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/files.h"
#include "store/storekeys.h"

namespace storemove {
namespace {

// A note's text is at most this large (as the store reads it); the settings file far less.
constexpr qint64 kMaxFileBytes = qint64(256) * 1024 * 1024;

bool read(const QString& path, QByteArray* bytes, QString* error) {
    switch (files::readRegular(path, kMaxFileBytes, bytes, error)) {
        case files::ReadResult::Ok:
            return true;
        case files::ReadResult::Missing:
            *error = path + QStringLiteral(": 文件不见了");
            return false;
        case files::ReadResult::Failed:
            return false;
    }
    return false;
}

bool sameBytes(const QString& a, const QString& b) {
    QByteArray first, second;
    QString error;
    return read(a, &first, &error) && read(b, &second, &error) && first == second;
}

}  // namespace

QStringList storeFiles(const QString& dir) {
    using namespace store::keys;
    QStringList names;
    static const QRegularExpression content(QStringLiteral("^tie([1-9][0-9]{0,4})\\.tie$"));
    const QDir contents(dir + u'/' + kContentFolder);
    for (const QString& name : contents.entryList(QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch match = content.match(name);
        if (!match.hasMatch()) continue;
        const int n = match.captured(1).toInt();
        if (n <= 32767 && contentFileName(n) == name) names.append(kContentFolder + u'/' + name);
    }
    if (QFileInfo(dir + u'/' + kSettingsFile).isFile()) names.append(kSettingsFile);
    return names;
}

bool copyStore(const QString& from, const QString& to, QStringList* copied, QString* error) {
    using namespace store::keys;
    const QStringList names = storeFiles(from);
    copied->clear();
    // Never over another store's files, such as texts a sync tool brought before their tie.dat.
    for (const QString& name : names) {
        if (QFileInfo::exists(to + u'/' + name) || QFileInfo(to + u'/' + name).isSymLink()) {
            *error =
                QDir::toNativeSeparators(to + u'/' + name) +
                QStringLiteral(": 这个文件已经在那里了（也许同步工具还在送来另一台电脑的帖子）");
            return false;
        }
    }
    const QString contentDir = to + u'/' + kContentFolder;
    const bool madeContentDir = !QFileInfo::exists(contentDir);
    auto undo = [&] {
        for (const QString& name : *copied)
            files::Steps::instance().remove(to + u'/' + name);
        copied->clear();
        if (madeContentDir) QDir().rmdir(contentDir);
    };
    if (!names.isEmpty() && names.first() != kSettingsFile && !QDir().mkpath(contentDir)) {
        *error = QDir::toNativeSeparators(contentDir) + QStringLiteral(": 无法创建这个文件夹");
        return false;
    }
    for (const QString& name : names) {
        const QString source = from + u'/' + name;
        const QString target = to + u'/' + name;
        QByteArray bytes, back;
        QString why;
        if (!read(source, &bytes, &why) || !files::Steps::instance().replace(target, bytes, &why)) {
            *error = why;
            undo();
            return false;
        }
        copied->append(name);
        if (!read(target, &back, &why) || back != bytes) {
            *error = why.isEmpty() ? QDir::toNativeSeparators(target) +
                                         QStringLiteral(": 复制后读回的内容不一样")
                                   : why;
            undo();
            return false;
        }
    }
    return true;
}

QStringList removeOriginals(const QString& from, const QString& to, const QStringList& files) {
    QStringList stayed;
    for (const QString& name : files) {
        const QString original = from + u'/' + name;
        if (!sameBytes(original, to + u'/' + name) || !files::Steps::instance().remove(original))
            stayed.append(name);
    }
    return stayed;
}

}  // namespace storemove
