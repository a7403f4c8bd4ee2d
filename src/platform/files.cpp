#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
        // The size can change between the look and the read: read one byte more to know. The
        // buffer is sized from the file, growing if it grew: QIODevice::read(n) takes n bytes
        // of memory first, hundreds of megabytes for every note read.
        QByteArray read(std::min<qint64>(info.size(), maxBytes) + 1, Qt::Uninitialized);
        qint64 got = 0;
        for (;;) {
            const qint64 n = file.read(read.data() + got, read.size() - got);
            if (n <= 0) break;
            got += n;
            if (got < read.size() || read.size() > maxBytes) break;
            read.resize(std::min<qint64>(read.size() * 2, maxBytes + 1));
        }
        read.truncate(got);
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
    // NOLINTNEXTLINE(bugprone-branch-clone): every step that fails reads its error the same way
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

QString resolveLinks(const QString& path) {
    QString resolved = path;
    // As many as the system follows itself; a loop ends there.
    for (int i = 0; i < 40; ++i) {
        const QFileInfo info(resolved);
        if (!info.isSymLink()) break;
        resolved = info.symLinkTarget();
    }
    return resolved;
}

bool staysWithin(const QString& path, const QString& folder) {
    // Below the folder by name, with no link on the way: no need to resolve anything (a load
    // asks this of every note's file).
    const QString base = QDir::cleanPath(folder);
    QString at = QDir::cleanPath(path);
    if (at.startsWith(base + u'/')) {
        while (at.size() > base.size() && !QFileInfo(at).isSymLink())
            at.truncate(at.lastIndexOf(u'/'));
        if (at.size() <= base.size()) return true;
    }
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty()) return false;
    // The file's own links followed; then its folder's, which may be links too.
    const QFileInfo target(QDir::cleanPath(QFileInfo(resolveLinks(path)).absoluteFilePath()));
    const QString in = QFileInfo(target.absolutePath()).canonicalFilePath();
    if (in.isEmpty()) return false;
    const QString resolved = QDir(in).filePath(target.fileName());
    return resolved == root || resolved.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

bool moveEntry(const QString& from, const QString& to) {
    if (QFile::rename(from, to)) return true;
    const QFileInfo entry(from);
    const bool copied =
        entry.isSymLink() ? QFile::link(entry.symLinkTarget(), to) : QFile::copy(from, to);
    return copied && QFile::remove(from);
}

namespace {

// Opens a new file under path for writing. Whatever had that name goes first: a link planted
// there is never written through, nor a second name of another file.
bool openForWriting(QFile& file, const QString& path, QString* why) {
#ifdef Q_OS_UNIX
    ::unlink(QFile::encodeName(path).constData());
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
#else
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) return true;
#endif
    *why = file.errorString();
    return false;
}

}  // namespace

bool Steps::writeDurably(const QString& path, QByteArrayView bytes, QString* error) {
    QFile file(path);
    QString why;
    if (!openForWriting(file, path, &why)) {
        if (error) *error = path + QStringLiteral(": ") + why;
        return false;
    }
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        // A full disk first takes part of the bytes, without an error.
        why = file.error() == QFileDevice::NoError ? QStringLiteral("写入不完整（磁盘满了？）")
                                                   : file.errorString();
    }
#ifdef Q_OS_UNIX
    else if (::fsync(file.handle()) != 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
    }
#endif
    if (why.isEmpty()) return true;
    file.close();
    QFile::remove(path);  // a part of a file is of no use to anyone
    if (error) *error = path + QStringLiteral(": ") + why;
    return false;
}

bool Steps::replace(const QString& path, QByteArrayView bytes, QString* error) {
    return writeAtomically(path, bytes, error);
}

bool Steps::rename(const QString& from, const QString& to, QString* error) {
#ifdef Q_OS_UNIX
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (error) *error = to + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
#else
    QFile::remove(to);
    if (QFile::rename(from, to)) return true;
    if (error) *error = to + QStringLiteral(": 无法改名");
    return false;
#endif
}

bool Steps::remove(const QString& path) {
    return QFile::remove(path);
}

bool Steps::link(const QString& from, const QString& to) {
#ifdef Q_OS_UNIX
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
    return false;
#endif
}

void Steps::syncFolder(const QString& path) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(path);
#endif
}

Steps& Steps::real() {
    static Steps real;
    return real;
}

Stamp stamp(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {true, qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000 + qint64(st.st_mtim.tv_nsec) / 1000000,
            quint64(st.st_ino)};
#else
    const QFileInfo info(path);
    if (!info.exists()) return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch(), 0};
#endif
}

}  // namespace files
