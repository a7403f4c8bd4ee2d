#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace files {

ReadResult readRegular(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error) {
    bytes->clear();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return ReadResult::Missing;
    QString why;
    QFile file(path);
    if (!info.exists()) {
        why = QStringLiteral("链接指向的文件不存在");
    } else if (!info.isFile()) {
        why = QStringLiteral("不是普通文件");
    } else if (info.size() > maxBytes) {
        why = QStringLiteral("文件大于 %1 字节").arg(maxBytes);
    } else if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
    } else {
        // The size can change between the look and the read: read one byte more to know.
        QByteArray read = file.read(maxBytes + 1);
        if (file.error() != QFileDevice::NoError) {
            why = file.errorString();
        } else if (read.size() > maxBytes) {
            why = QStringLiteral("文件大于 %1 字节").arg(maxBytes);
        } else {
            *bytes = std::move(read);
            return ReadResult::Ok;
        }
    }
    if (error) *error = path + QStringLiteral(": ") + why;
    return ReadResult::Failed;
}

bool writeAtomically(const QString& path, QByteArrayView bytes, QString* error) {
    // A link to a device or a FIFO would have its target replaced.
    const QFileInfo existing(path);
    if ((existing.exists() || existing.isSymLink()) && !existing.isFile()) {
        if (error) *error = path + QStringLiteral(": 不是普通文件");
        return false;
    }
    QSaveFile file(path);
    // Unbuffered, so that a write the disk refuses fails here: a failure that only showed in
    // the final flush would not stop the rename over the old file.
    QString why;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why = file.errorString();
    } else if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        why = file.errorString();
        file.cancelWriting();  // the temporary file goes with `file`
    } else if (!file.commit()) {
        why = file.errorString();
    }
    if (why.isEmpty()) return true;
    if (error) *error = path + QStringLiteral(": ") + why;
    return false;
}

}  // namespace files
